// Thumbnail speed: CMiniature::CreateMiniature against the usual command-line thumbnailers making the same
// 100 x 100 centre crop, per picture type, and a batch of 50 photos against 50 single runs. Prints
// "name: value" lines; ratios below 1 mean ours is faster. The pictures are made here, in a work folder.
#include <spawn.h>
#include <sys/wait.h>
#include <vips/vips.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "uic/UICUploadFile/thumbnail/Miniature.h"
#include "uic/UICUploadFile/thumbnail/ThumbnailMaker.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Picture {
    const char* kind;
    const char* file;
    int width;
    int height;
};

constexpr Picture kPictures[] = {{"jpeg", "photo.jpg", 6000, 4000},
                                 {"png", "screen.png", 4000, 3000},
                                 {"tiff", "scan.tif", 3000, 2000},
                                 {"bmp", "frame.bmp", 1920, 1080}};
constexpr int kRepeats = 7;
constexpr int kBatch = 50;

// Photo-like content: smooth colour fields, shapes and grain, so the codecs have real work to do.
QImage Scene(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(1, QColor(230, 180, 90));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(7);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate() | 0xFF000000u));
        painter.setPen(Qt::NoPen);
        const int size = 20 + random.bounded(width / 8);
        painter.drawEllipse(random.bounded(width), random.bounded(height), size, size);
    }
    painter.end();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = static_cast<int>(random.bounded(16)) - 8;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                           std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    return image;
}

bool Save(const QImage& image, const QString& path, const char* kind) {
    if (std::string(kind) != "tiff") {
        return image.save(path, nullptr, std::string(kind) == "jpeg" ? 90 : -1);
    }
    // Qt has no TIFF writer here; libvips writes it from the same pixels.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    VipsImage* memory = vips_image_new_from_memory(rgb.constBits(), static_cast<size_t>(rgb.sizeInBytes()),
                                                   rgb.width(), rgb.height(), 3, VIPS_FORMAT_UCHAR);
    if (!memory) {
        return false;
    }
    // Lines of a QImage are padded to 4 bytes; 3000 x 3 already is, so the memory is one block.
    const bool saved = vips_tiffsave(memory, path.toUtf8().constData(), nullptr) == 0;
    g_object_unref(memory);
    return saved;
}

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The median of repeated runs: one slow run on a shared machine does not decide.
double Median(const std::function<void()>& work, int repeats = kRepeats) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        times.push_back(Seconds(work));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median of each contender over rounds in which every contender runs once, in turn.
std::vector<double> MedianRounds(const std::vector<std::function<void()>>& contenders, int rounds) {
    std::vector<std::vector<double>> times(contenders.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < contenders.size(); ++i) {
            times[i].push_back(Seconds(contenders[i]));
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& series : times) {
        std::sort(series.begin(), series.end());
        medians.push_back(series[series.size() / 2]);
    }
    return medians;
}

bool Run(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Reference {
    const char* name;
    std::function<std::vector<std::string>(const std::string&, const std::string&)> command;
};

// ImageMagick's own binary: a same-named wrapper earlier on the PATH would add its start-up to the time.
std::string ImageMagick() {
    for (const char* path : {"/usr/bin/convert-im6.q16", "/usr/bin/convert"}) {
        if (QFile::exists(path)) {
            return path;
        }
    }
    return "convert";
}

const std::vector<Reference>& References() {
    static const std::string magick = ImageMagick();
    static const std::vector<Reference> references = {
        {"vipsthumbnail",
         [](const std::string& in, const std::string& out) {
             return std::vector<std::string>{"vipsthumbnail", in,       "--size", "100x100",
                                             "--smartcrop",   "centre", "-o",     out};
         }},
        {"imagemagick",
         [](const std::string& in, const std::string& out) {
             return std::vector<std::string>{magick,   in,        "-thumbnail", "100x100^", "-gravity",
                                             "center", "-extent", "100x100",    out};
         }},
        {"graphicsmagick", [](const std::string& in, const std::string& out) {
             return std::vector<std::string>{"gm",       "convert", in,        "-thumbnail", "100x100^",
                                             "-gravity", "center",  "-extent", "100x100",    out};
         }}};
    return references;
}

void Print(const std::string& name, double value) {
    std::printf("%s: %.3f\n", name.c_str(), value);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "thumbnail bench: libvips does not start\n");
        return 1;
    }
    QTemporaryDir work;
    const std::string programDir = FromQString(work.path()) + "/";
    const QString pictures = work.path() + "/pictures";
    QDir().mkpath(pictures);

    for (const Picture& picture : kPictures) {
        const QString path = pictures + "/" + picture.file;
        if (!Save(Scene(picture.width, picture.height), path, picture.kind)) {
            std::fprintf(stderr, "thumbnail bench: cannot write %s\n", picture.file);
            return 1;
        }
        const std::string source = FromQString(path);
        // Both decoders, so the choice per type can be checked against this machine.
        const std::string target = work.path().toStdString() + "/decoder.jpg";
        for (auto [decoder, name] :
             {std::pair{ThumbnailDecoder::Vips, "vips"}, {ThumbnailDecoder::Qt, "qt"}}) {
            const auto make = [&, decoder = decoder] {
                MakeThumbnail(path.toStdString(), target, CMiniature::kSide, decoder);
            };
            if (!MakeThumbnail(path.toStdString(), target, CMiniature::kSide, decoder)) {
                std::fprintf(stderr, "thumbnail bench: the %s decoder does not read %s here\n", name,
                             picture.kind);
                continue;
            }
            Print(std::string("thumbnail_decoder_") + picture.kind + "_" + name + "_ms", 1000 * Median(make));
        }
        // One series per contender, measured round by round so that a change of load on the shared
        // machine falls on all of them alike.
        std::vector<std::function<void()>> contenders;
        std::vector<std::string> names;
        contenders.push_back([&] {
            std::vector<tagPendingFile> items(1);
            items[0].strPath = source;
            CMiniature::CreateMiniature(items, programDir);
        });
        names.push_back("ours");
        for (const Reference& reference : References()) {
            const std::string out = work.path().toStdString() + "/" + reference.name + ".jpg";
            const auto command = reference.command(path.toStdString(), out);
            if (!Run(command)) {
                std::fprintf(stderr, "thumbnail bench: %s failed on %s\n", reference.name, picture.file);
                continue;
            }
            contenders.push_back([command] { Run(command); });
            names.push_back(reference.name);
        }
        const std::vector<double> times = MedianRounds(contenders, kRepeats);
        double best = 0;
        for (size_t i = 0; i < times.size(); ++i) {
            Print(std::string("thumbnail_") + picture.kind + "_" + names[i] + "_ms", 1000 * times[i]);
            if (i > 0) {
                best = best == 0 ? times[i] : std::min(best, times[i]);
            }
        }
        if (best > 0) {
            Print(std::string("thumbnail_vs_best_") + picture.kind, times[0] / best);
        }
    }

    // 50 photos at once against 50 single runs of the same work.
    const QString photo = pictures + "/" + kPictures[0].file;
    std::vector<tagPendingFile> batch(kBatch);
    for (int i = 0; i < kBatch; ++i) {
        const QString copy = pictures + QString("/batch%1.jpg").arg(i);
        QFile::copy(photo, copy);
        batch[i].strPath = FromQString(copy);
    }
    // Each round: the 50 photos one by one, then all at once.
    const std::vector<double> batchTimes = MedianRounds({[&] {
                                                             for (const tagPendingFile& photo : batch) {
                                                                 std::vector<tagPendingFile> one(1, photo);
                                                                 CMiniature::CreateMiniature(one, programDir);
                                                             }
                                                         },
                                                         [&] {
                                                             std::vector<tagPendingFile> items = batch;
                                                             CMiniature::CreateMiniature(items, programDir);
                                                         }},
                                                        3);
    Print("thumbnail_serial_50_ms", 1000 * batchTimes[0]);
    Print("thumbnail_batch_50_ms", 1000 * batchTimes[1]);
    Print("thumbnail_batch_50_vs_serial", batchTimes[1] / batchTimes[0]);
    vips_shutdown();
    return 0;
}
