// Unpacking speed: an archive of 2,000 deflated files (4 KiB to 200 KiB, about 100 MB: text-like files and
// incompressible ones, as pictures are) unpacked by CUICUploadComp::UnZip and by `bsdtar -xf` into an empty
// folder, in alternating rounds; and the time UnZip takes to refuse an archive that declares 10 GiB.
// Prints "name: value" lines; the ratio below 1 means UnZip is faster.
//
// Both unpack into memory (/dev/shm) when the machine has it: on a disk file system, the deletions between
// rounds (and other processes' builds) make the allocation of new inodes cost more than the unpacking
// itself, in both contenders alike, and the figure would measure the disk's mood.
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ZipArchiveBuilder.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFiles = 2000;
constexpr double kSmallest = 4 * 1024;
constexpr double kLargest = 200 * 1024;
constexpr int kRounds = 7;
constexpr int kBombRuns = 21;
constexpr uint64_t kBombEntrySize = uint64_t{1} << 30;
constexpr int kBombEntries = 10;

// Words of a made-up language: deflate finds about what it finds in style sheets and texts.
std::string TextLike(std::mt19937& random, size_t size) {
    static const std::vector<std::string> words = [] {
        std::mt19937 wordRandom(11);
        std::vector<std::string> list;
        for (int i = 0; i < 3000; ++i) {
            std::string word;
            const int length = 2 + static_cast<int>(wordRandom() % 9);
            for (int c = 0; c < length; ++c) {
                word += static_cast<char>('a' + wordRandom() % 26);
            }
            list.push_back(word);
        }
        return list;
    }();
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text += words[random() % words.size()];
        text += random() % 12 == 0 ? '\n' : ' ';
    }
    text.resize(size);
    return text;
}

std::string Incompressible(std::mt19937& random, size_t size) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

// Sizes spread evenly on a log scale, which makes the 2,000 files about 100 MB together.
bool WriteFilesArchive(const fs::path& path, uint64_t& totalBytes) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> logSize(std::log(kSmallest), std::log(kLargest));
    const fs::path partial = path.string() + ".part";
    ZipArchiveBuilder zip(partial.string());
    totalBytes = 0;
    for (int i = 0; i < kFiles; ++i) {
        const auto size = static_cast<size_t>(std::exp(logSize(random)));
        const bool picture = i % 10 < 3;
        const std::string content = picture ? Incompressible(random, size) : TextLike(random, size);
        char name[64];
        std::snprintf(name, sizeof name, "skin/part%02d/%s%04d.%s", i % 40, picture ? "image" : "text", i,
                      picture ? "png" : "qss");
        if (!zip.File(name, content)) {
            return false;
        }
        totalBytes += size;
    }
    if (!zip.Close()) {
        return false;
    }
    fs::rename(partial, path);
    return true;
}

bool WriteBomb(const fs::path& path) {
    ZipArchiveBuilder zip(path.string());
    const std::string sample(4096, 'z');
    for (int i = 0; i < kBombEntries; ++i) {
        if (!zip.Declared("bomb/" + std::to_string(i) + ".bin", sample, kBombEntrySize, 0)) {
            return false;
        }
    }
    return zip.Close();
}

bool Run(const QString& program, const QStringList& arguments) {
    return QProcess::execute(program, arguments) == 0;
}

double Seconds(const std::function<bool()>& work, bool& ok) {
    const auto start = Clock::now();
    ok = work() && ok;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

uint64_t TreeBytes(const fs::path& folder) {
    uint64_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            bytes += entry.file_size();
        }
    }
    return bytes;
}

void Print(const char* name, double value) {
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "unzip-bench";
    fs::create_directories(work);
    const fs::path archive = work / "files-2000.zip";
    uint64_t expectedBytes = 0;
    // Made once per build folder: writing it takes longer than the measurement.
    const fs::path sizeNote = work / "files-2000.bytes";
    if (fs::exists(archive) && fs::exists(sizeNote)) {
        FILE* note = std::fopen(sizeNote.c_str(), "r");
        if (!note || std::fscanf(note, "%" SCNu64, &expectedBytes) != 1) {
            expectedBytes = 0;
        }
        if (note) {
            std::fclose(note);
        }
    }
    if (expectedBytes == 0) {
        if (!WriteFilesArchive(archive, expectedBytes)) {
            std::fprintf(stderr, "unzip bench: cannot write %s\n", archive.c_str());
            return 1;
        }
        FILE* note = std::fopen(sizeNote.c_str(), "w");
        if (note) {
            std::fprintf(note, "%" PRIu64 "\n", expectedBytes);
            std::fclose(note);
        }
    }

    CUICUploadComp component;
    const fs::path memory = "/dev/shm";
    const fs::path out =
        (fs::is_directory(memory) ? memory : work) / ("nimbra-unzip-bench-" + std::to_string(getpid()));
    std::vector<double> ours;
    std::vector<double> reference;
    bool ok = true;
    for (int round = 0; round < kRounds; ++round) {
        const auto fresh = [&] {
            fs::remove_all(out);
            fs::create_directories(out);
        };
        const auto unzip = [&] {
            fresh();
            ours.push_back(Seconds([&] { return component.UnZip(archive.string(), out.string()) == 0; }, ok));
            ok = TreeBytes(out) == expectedBytes && ok;
        };
        const auto bsdtar = [&] {
            fresh();
            reference.push_back(Seconds(
                [&] {
                    return Run("bsdtar", {"-xf", QString::fromStdString(archive.string()), "-C",
                                          QString::fromStdString(out.string())});
                },
                ok));
            ok = TreeBytes(out) == expectedBytes && ok;
        };
        if (round % 2 == 0) {
            unzip();
            bsdtar();
        } else {
            bsdtar();
            unzip();
        }
    }
    fs::remove_all(out);
    if (!ok) {
        std::fprintf(stderr, "unzip bench: an unpacking failed or left other bytes (is bsdtar installed?)\n");
        return 1;
    }
    std::printf("unzip_2000_files_mb: %.1f\n", static_cast<double>(expectedBytes) / 1e6);
    Print("unzip_2000_files_s", Median(ours));
    Print("unzip_2000_files_bsdtar_s", Median(reference));
    Print("unzip_2000_files_vs_bsdtar", Median(ours) / Median(reference));

    const fs::path bomb = work / "bomb.zip";
    if (!WriteBomb(bomb)) {
        std::fprintf(stderr, "unzip bench: cannot write %s\n", bomb.c_str());
        return 1;
    }
    std::vector<double> refusals;
    bool refused = true;
    for (int run = 0; run < kBombRuns; ++run) {
        fs::remove_all(out);
        refusals.push_back(
            Seconds([&] { return component.UnZip(bomb.string(), out.string()) != 0; }, refused) * 1000);
        refused = !fs::exists(out / "bomb") && refused;
    }
    fs::remove_all(out);
    if (!refused) {
        std::fprintf(stderr, "unzip bench: the bomb was not refused\n");
        return 1;
    }
    Print("unzip_refuses_bomb_ms", Median(refusals));
    return 0;
}
