#include "uic/UICUploadFile/thumbnail/Miniature.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include "platform/CodePage.h"
#include "uic/UICUploadFile/thumbnail/ThumbnailMaker.h"

namespace {

// Three bands across the longer side: red, green (the centre half), blue.
QImage Bands(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const bool wide = width > height;
    const int length = wide ? width : height;
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    const int starts[] = {0, length / 4, length * 3 / 4, length};
    for (int band = 0; band < 3; ++band) {
        const int from = starts[band];
        const int size = starts[band + 1] - from;
        painter.fillRect(wide ? QRect(from, 0, size, height) : QRect(0, from, width, size), colours[band]);
    }
    return image;
}

bool Near(QRgb pixel, QColor expected) {
    return qAbs(qRed(pixel) - expected.red()) < 40 && qAbs(qGreen(pixel) - expected.green()) < 40 &&
           qAbs(qBlue(pixel) - expected.blue()) < 40;
}

// Every pixel away from the edges has the colour.
bool AllNear(const QImage& image, QColor expected) {
    for (int y = 3; y < image.height() - 3; y += 4) {
        for (int x = 3; x < image.width() - 3; x += 4) {
            if (!Near(image.pixel(x, y), expected)) {
                return false;
            }
        }
    }
    return true;
}

tagPendingFile Pending(std::string path, uint64_t size = 0) {
    tagPendingFile item;
    item.strPath = std::move(path);
    item.ullSize = size;
    return item;
}

class MiniatureTest : public ::testing::Test {
protected:
    // Program directory and pictures in the component's code page.
    std::string ProgramDir() const { return FromQString(m_program.path()) + "/"; }
    std::string Folder() const { return FromQString(m_program.path()) + "/Miniature"; }

    // Names are GB18030, as the component's paths.
    std::string Picture(const std::string& name, const QImage& image, const char* format) {
        const QString path = m_pictures.path() + "/" + ToQString(name);
        EXPECT_TRUE(image.save(path, format)) << name;
        return FromQString(path);
    }
    std::string TextFile(const std::string& name, const QByteArray& content) {
        QFile file(m_pictures.path() + "/" + ToQString(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return FromQString(file.fileName());
    }
    static QImage Thumbnail(const tagPendingFile& item) {
        QImageReader reader(ToQString(item.strMiniatureName));
        EXPECT_EQ(reader.format(), "jpeg");
        return reader.read();
    }

    QTemporaryDir m_program;
    QTemporaryDir m_pictures;
};

TEST_F(MiniatureTest, WideAndTallPicturesAreCutToTheirCentreSquare) {
    std::vector<tagPendingFile> items = {Pending(Picture("wide.jpg", Bands(400, 200), "jpeg")),
                                         Pending(Picture("tall.png", Bands(200, 400), "png")),
                                         Pending(Picture("wide.bmp", Bands(400, 200), "bmp"))};
    EXPECT_EQ(CMiniature::CreateMiniature(items, ProgramDir()), 1);
    for (const tagPendingFile& item : items) {
        ASSERT_EQ(item.nMiniatureFlag, 1) << item.strPath;
        const QImage thumbnail = Thumbnail(item);
        EXPECT_EQ(thumbnail.size(), QSize(100, 100));
        EXPECT_TRUE(AllNear(thumbnail, Qt::green)) << item.strPath;
    }
}

TEST_F(MiniatureTest, BothDecodersCutTheSameSquare) {
    const std::string source = Gb18030ToUtf8(Picture("tall.png", Bands(200, 400), "png"));
    for (ThumbnailDecoder decoder : {ThumbnailDecoder::Vips, ThumbnailDecoder::Qt}) {
        const QString target = m_program.path() + "/out.jpg";
        ASSERT_TRUE(MakeThumbnail(source, target.toStdString(), 100, decoder));
        const QImage thumbnail(target);
        EXPECT_EQ(thumbnail.size(), QSize(100, 100));
        EXPECT_TRUE(AllNear(thumbnail, Qt::green));
        EXPECT_FALSE(thumbnail.hasAlphaChannel());
    }
}

TEST_F(MiniatureTest, SquarePictureIsScaledWhole) {
    QImage square(300, 300, QImage::Format_RGB32);
    square.fill(Qt::red);
    QPainter(&square).fillRect(150, 0, 150, 300, Qt::blue);
    std::vector<tagPendingFile> items = {Pending(Picture("square.png", square, "png"))};
    CMiniature::CreateMiniature(items, ProgramDir());
    ASSERT_EQ(items[0].nMiniatureFlag, 1);
    const QImage thumbnail = Thumbnail(items[0]);
    EXPECT_TRUE(Near(thumbnail.pixel(5, 50), Qt::red));
    EXPECT_TRUE(Near(thumbnail.pixel(94, 50), Qt::blue));
}

TEST_F(MiniatureTest, FlagNameAndSizeAreSetOnlyForWrittenThumbnails) {
    std::vector<tagPendingFile> items = {Pending(Picture("照片.JPG", Bands(120, 90), "jpeg"), 77),
                                         Pending(TextFile("notes.txt", "plain text")),
                                         Pending(TextFile("broken.jpg", "no picture in here")),
                                         Pending(TextFile("README", "x"))};
    CMiniature::CreateMiniature(items, ProgramDir());

    EXPECT_EQ(items[0].nMiniatureFlag, 1);
    EXPECT_EQ(items[0].strMiniatureName, Folder() + "/照片.JPG_Miniature.jpg");
    EXPECT_EQ(items[0].ullMiniatureSize, QFileInfo(ToQString(items[0].strMiniatureName)).size());
    EXPECT_GT(items[0].ullMiniatureSize, 0u);
    EXPECT_EQ(items[0].ullSize, 77u);
    for (size_t i = 1; i < items.size(); ++i) {
        EXPECT_EQ(items[i].nMiniatureFlag, 0) << i;
        EXPECT_EQ(items[i].strMiniatureName, "") << i;
        EXPECT_EQ(items[i].ullMiniatureSize, 0u) << i;
    }
    EXPECT_EQ(QDir(ToQString(Folder())).entryList(QDir::Files).size(), 1);
}

TEST_F(MiniatureTest, EachRunEmptiesTheFolderFirst) {
    std::vector<tagPendingFile> first = {Pending(Picture("one.png", Bands(50, 50), "png"))};
    CMiniature::CreateMiniature(first, ProgramDir());
    QDir(ToQString(Folder())).mkpath("left/over");

    std::vector<tagPendingFile> second = {Pending(Picture("two.png", Bands(50, 50), "png"))};
    CMiniature::CreateMiniature(second, ProgramDir());
    EXPECT_EQ(QDir(ToQString(Folder())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"two.png_Miniature.jpg"});
    EXPECT_TRUE(Thumbnail(second[0]).size() == QSize(100, 100));
}

TEST_F(MiniatureTest, ManyPicturesComeOutInListOrderAsOneByOne) {
    std::vector<tagPendingFile> items;
    for (int i = 0; i < 9; ++i) {
        items.push_back(Pending(Picture(FromQString(QString("p%1.%2").arg(i).arg(i % 3 ? "png" : "jpg")),
                                        Bands(160 + i, 90), i % 3 ? "png" : "jpeg")));
    }
    QDir(m_pictures.path()).mkdir("again");
    items.push_back(Pending(FromQString(m_pictures.path()) + "/again/p1.png"));
    ASSERT_TRUE(Bands(90, 160).save(ToQString(items.back().strPath)));

    CMiniature::CreateMiniature(items, ProgramDir());
    for (size_t i = 0; i < 9; ++i) {
        const std::string file = items[i].strPath.substr(items[i].strPath.find_last_of('/') + 1);
        EXPECT_EQ(items[i].strMiniatureName, Folder() + "/" + file + "_Miniature.jpg");
        EXPECT_EQ(items[i].nMiniatureFlag, 1);
    }
    // The same file name twice: the later picture's thumbnail is the one left, as one by one.
    EXPECT_EQ(items[9].strMiniatureName, items[1].strMiniatureName);
    EXPECT_EQ(items[9].ullMiniatureSize, QFileInfo(ToQString(items[9].strMiniatureName)).size());
}

TEST(MiniatureNameTest, FileNameKeepsItsExtensionAndNeedsASeparator) {
    EXPECT_EQ(CMiniature::FormatMiniatureName("/home/u/photo.png", "/opt/n/Miniature"),
              "/opt/n/Miniature/photo.png_Miniature.jpg");
    EXPECT_EQ(CMiniature::FormatMiniatureName("photo.png", "/opt/n/Miniature"), "");
    EXPECT_TRUE(CMiniature::IsMiniatureType("/a/b.tiff"));
    EXPECT_TRUE(CMiniature::IsMiniatureType("/a/b.BMP"));
    EXPECT_FALSE(CMiniature::IsMiniatureType("/a/b.gif"));
}

TEST_F(MiniatureTest, IsSizeComparesWithBothBounds) {
    EXPECT_TRUE(CMiniature::IsSize(Picture("fits.png", Bands(110, 80), "png"), 110, 80));
    EXPECT_FALSE(CMiniature::IsSize(Picture("wide.png", Bands(111, 80), "png"), 110, 80));
    EXPECT_FALSE(CMiniature::IsSize(Picture("tall.png", Bands(110, 81), "png"), 110, 80));
    EXPECT_FALSE(CMiniature::IsSize(TextFile("none.png", "x"), 110, 80));
}

}  // namespace
