// Unpacking archives the tests build themselves, honest and hostile: nothing lands outside the target
// folder, no link is made or followed, the bounds hold as declared and as the bytes come, and a skin is
// installed whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>

#include "WholeFiles.h"
#include "ZipArchiveBuilder.h"
#include "platform/CodePage.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/skin/ZipEntryName.h"
#include "uic/UICUploadFile/skin/ZipExtractor.h"

namespace fs = std::filesystem;

namespace {

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

// A local time on an even second (zip time stamps have a resolution of two seconds).
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_isdst = -1;
    return std::mktime(&time);
}

std::time_t ModifiedTime(const fs::path& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
}

TEST(ZipEntryNameTest, OnlyNamesThatStayBelowTheFolderAreTaken) {
    const ZipEntryPath plain = SafeZipEntryPath("purple/skin.qss");
    EXPECT_EQ(plain.path, "purple/skin.qss");
    EXPECT_FALSE(plain.folder);
    const ZipEntryPath folder = SafeZipEntryPath("./purple//images/");
    EXPECT_EQ(folder.path, "purple/images");
    EXPECT_TRUE(folder.folder);
    // Dots inside a name are no parent folder.
    EXPECT_EQ(SafeZipEntryPath("a..b/..c").path, "a..b/..c");
    for (const std::string name :
         {"../x", "purple/../../x", "/etc/passwd", "C:/x.txt", "c:x.txt", "purple\\..\\x", "", "./", "//"}) {
        const ZipEntryPath refused = SafeZipEntryPath(name);
        EXPECT_NE(refused.refusal, nullptr) << name;
        EXPECT_TRUE(refused.path.empty()) << name;
    }
    // The file system would read only up to the NUL: "x/.." names the folder itself.
    EXPECT_NE(SafeZipEntryPath(std::string("x/..\0.txt", 9)).refusal, nullptr);
}

TEST(ZipEntryNameTest, NamesNotMarkedAsUtf8AreReadAsGb18030UnlessTheyAreUtf8) {
    const std::string gb18030 = "皮肤/说明.txt";  // this file's narrow literals are GB18030
    const std::string utf8 = Gb18030ToUtf8(gb18030);
    ASSERT_NE(gb18030, utf8);
    EXPECT_EQ(ZipNameToUtf8(gb18030, false), utf8);
    EXPECT_EQ(ZipNameToUtf8(utf8, false), utf8);
    EXPECT_EQ(ZipNameToUtf8("plain/ascii.qss", false), "plain/ascii.qss");
    EXPECT_EQ(ZipNameToUtf8(utf8, true), utf8);
}

class UnzipTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString();
        target = root / "skin";
        outside = root / "outside";
        fs::create_directories(target);
        fs::create_directories(outside);
    }

    UnzipReport Unzip(const fs::path& archive, UnzipLimits limits = {}, unsigned workers = 0) const {
        return CZipExtractor(limits, workers).Extract(archive.string(), target.string());
    }

    // Every entry below the folder: folders end in '/', links in '@'. Links are not followed.
    static std::set<std::string> Tree(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string name = fs::relative(entry.path(), folder).string();
            names.insert(entry.is_symlink() ? name + "@" : entry.is_directory() ? name + "/" : name);
        }
        return names;
    }

    void InstallOldPurple() const {
        Write(target / "purple/skin.qss", "old purple");
        Write(target / "purple/old.png", "old picture");
    }
    void ExpectOldPurpleAlone() const {
        EXPECT_EQ(Tree(target), (std::set<std::string>{"purple/", "purple/old.png", "purple/skin.qss"}));
        EXPECT_EQ(Read(target / "purple/skin.qss"), "old purple");
    }

    QTemporaryDir m_dir;
    fs::path root;
    fs::path target;
    fs::path outside;
};

TEST_F(UnzipTest, NamesThatWouldLeaveTheFolderAreSkippedAndTheRestIsInstalled) {
    const fs::path archive = root / "climb.zip";
    {
        ZipArchiveBuilder zip(archive.string());
        ASSERT_TRUE(zip.File("../escaped.txt", "up one"));
        ASSERT_TRUE(zip.File("purple/../../escaped.txt", "up two"));
        ASSERT_TRUE(zip.File((outside / "absolute.txt").string(), "absolute"));
        ASSERT_TRUE(zip.File("C:/drive.txt", "drive"));
        ASSERT_TRUE(zip.File("purple\\..\\..\\escaped.txt", "backslashes"));
        ASSERT_TRUE(zip.File("purple/skin.qss", "QWidget { color: purple; }"));
    }
    const UnzipReport report = Unzip(archive);
    EXPECT_TRUE(report.installed) << report.error;
    EXPECT_EQ(report.files, 1u);
    EXPECT_EQ(report.skipped.size(), 5u);
    EXPECT_EQ(Tree(target), (std::set<std::string>{"purple/", "purple/skin.qss"}));
    EXPECT_TRUE(Tree(outside).empty());
    EXPECT_EQ(Tree(root), (std::set<std::string>{"climb.zip", "outside/", "skin/", "skin/purple/",
                                                 "skin/purple/skin.qss"}));
}

TEST_F(UnzipTest, LinkEntriesAreNeverMadeIntoLinks) {
    const fs::path archive = root / "links.zip";
    {
        ZipArchiveBuilder zip(archive.string());
        ASSERT_TRUE(zip.Link("purple/passwd", "/etc/passwd"));
        ASSERT_TRUE(zip.Link("purple/up", "../../outside"));
        // Through the skipped link's name: a folder of its own, below the target.
        ASSERT_TRUE(zip.File("purple/up/planted.txt", "planted"));
    }
    const UnzipReport report = Unzip(archive);
    EXPECT_TRUE(report.installed) << report.error;
    ASSERT_EQ(report.skipped.size(), 2u);
    EXPECT_STREQ(report.skipped[0].reason, "link entry");
    EXPECT_EQ(Tree(target), (std::set<std::string>{"purple/", "purple/up/", "purple/up/planted.txt"}));
    EXPECT_TRUE(Tree(outside).empty());
}

TEST_F(UnzipTest, LinksPlantedInTheTargetFolderAreReplacedNotFollowed) {
    Write(outside / "victim.qss", "the user's own file");
    fs::create_directory_symlink(outside, target / "purple");
    fs::create_directories(target / "blue");
    fs::create_symlink(outside / "victim.qss", target / "blue/skin.qss");
    const fs::path archive = root / "skins.zip";
    {
        ZipArchiveBuilder zip(archive.string());
        ASSERT_TRUE(zip.File("purple/skin.qss", "new purple"));
        ASSERT_TRUE(zip.File("blue/skin.qss", "new blue"));
    }
    const UnzipReport report = Unzip(archive);
    EXPECT_TRUE(report.installed) << report.error;
    EXPECT_EQ(Tree(outside), (std::set<std::string>{"victim.qss"}));
    EXPECT_EQ(Read(outside / "victim.qss"), "the user's own file");
    EXPECT_EQ(Tree(target), (std::set<std::string>{"blue/", "blue/skin.qss", "purple/", "purple/skin.qss"}));
    EXPECT_EQ(Read(target / "purple/skin.qss"), "new purple");
    EXPECT_EQ(Read(target / "blue/skin.qss"), "new blue");
}

TEST_F(UnzipTest, ArchivesBeyondTheBoundsAreRefusedBeforeAnythingIsWritten) {
    InstallOldPurple();
    const fs::path declaredTooMuch = root / "declared.zip";
    {
        ZipArchiveBuilder zip(declaredTooMuch.string());
        ASSERT_TRUE(zip.Declared("purple/a.bin", "tiny", 600 << 10, 0));
        ASSERT_TRUE(zip.Declared("purple/b.bin", "tiny", 600 << 10, 0));
    }
    UnzipReport report = Unzip(declaredTooMuch, {uint64_t{1} << 20, 100});
    EXPECT_FALSE(report.installed);
    EXPECT_NE(report.error.find("allowed"), std::string::npos) << report.error;
    ExpectOldPurpleAlone();

    // More than the disk has, with no limit of our own. (The reader takes each declared size as at most
    // 4 GiB, so it takes as many entries as the disk has room for 4 GiB.)
    struct statvfs disk {};
    ASSERT_EQ(statvfs(target.c_str(), &disk), 0);
    const uint64_t entries = uint64_t{disk.f_bavail} * disk.f_frsize / UINT32_MAX + 2;
    const fs::path overDisk = root / "over-disk.zip";
    {
        ZipArchiveBuilder zip(overDisk.string());
        for (uint64_t i = 0; i < entries; ++i) {
            ASSERT_TRUE(zip.Declared("purple/" + std::to_string(i) + ".bin", "tiny", UINT32_MAX, 0));
        }
    }
    report = Unzip(overDisk, {UINT64_MAX, entries});
    EXPECT_FALSE(report.installed);
    EXPECT_NE(report.error.find("free"), std::string::npos) << report.error;
    ExpectOldPurpleAlone();

    const fs::path crowded = root / "crowded.zip";
    {
        ZipArchiveBuilder zip(crowded.string());
        for (int i = 0; i < 11; ++i) {
            ASSERT_TRUE(zip.File("purple/" + std::to_string(i) + ".qss", "x"));
        }
    }
    EXPECT_FALSE(Unzip(crowded, {uint64_t{1} << 20, 10}).installed);
    ExpectOldPurpleAlone();
    EXPECT_TRUE(Unzip(crowded, {uint64_t{1} << 20, 11}).installed);
}

TEST_F(UnzipTest, EntriesThatProduceOtherThanTheirDeclaredSizeAreCaughtAsTheBytesCome) {
    InstallOldPurple();
    // A megabyte that claims to be a thousand bytes, with the CRC of its first thousand.
    const std::string megabyte(1 << 20, 'x');
    const fs::path grows = root / "grows.zip";
    {
        ZipArchiveBuilder zip(grows.string());
        ASSERT_TRUE(zip.File("purple/skin.qss", "new purple"));
        ASSERT_TRUE(zip.Declared("purple/bomb.bin", megabyte, 1000,
                                 ZipArchiveBuilder::Crc(megabyte.substr(0, 1000))));
    }
    UnzipReport report = Unzip(grows);
    EXPECT_FALSE(report.installed);
    EXPECT_NE(report.error.find("more bytes than the 1000 declared"), std::string::npos) << report.error;
    ExpectOldPurpleAlone();

    const fs::path shrinks = root / "shrinks.zip";
    {
        ZipArchiveBuilder zip(shrinks.string());
        ASSERT_TRUE(zip.Declared("purple/short.bin", "short", 5000, ZipArchiveBuilder::Crc("short")));
    }
    report = Unzip(shrinks);
    EXPECT_FALSE(report.installed);
    EXPECT_NE(report.error.find("fewer bytes"), std::string::npos) << report.error;
    ExpectOldPurpleAlone();
}

TEST_F(UnzipTest, ABrokenArchiveLeavesTheOldSkinAsItWas) {
    InstallOldPurple();
    const fs::path good = root / "good.zip";
    {
        ZipArchiveBuilder zip(good.string());
        ASSERT_TRUE(zip.File("purple/skin.qss", "new purple"));
        for (int i = 0; i < 20; ++i) {
            ASSERT_TRUE(zip.File("purple/images/" + std::to_string(i) + ".png", RandomBytes(20000, i)));
        }
    }
    const std::string bytes = Read(good);
    const fs::path truncated = root / "truncated.zip";
    Write(truncated, bytes.substr(0, bytes.size() / 2));
    std::string flipped = bytes;
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 16; ++i) {
        flipped[i] = static_cast<char>(~flipped[i]);
    }
    const fs::path corrupt = root / "corrupt.zip";
    Write(corrupt, flipped);
    const fs::path crcLie = root / "crc.zip";
    const fs::path clash = root / "clash.zip";
    {
        ZipArchiveBuilder zip(crcLie.string());
        ASSERT_TRUE(zip.File("purple/skin.qss", "new purple"));
        ASSERT_TRUE(zip.Declared("purple/lie.bin", "content", 7, ZipArchiveBuilder::Crc("CONTENT")));
        ZipArchiveBuilder both(clash.string());
        ASSERT_TRUE(both.File("purple/images", "a file"));
        ASSERT_TRUE(both.File("purple/images/a.png", "and a folder"));
    }
    const fs::path notZip = root / "text.zip";
    Write(notZip, "this is no archive");

    for (const fs::path& broken : {truncated, corrupt, crcLie, clash, notZip, root / "missing.zip"}) {
        const UnzipReport report = Unzip(broken);
        EXPECT_FALSE(report.installed) << broken.filename();
        EXPECT_FALSE(report.error.empty()) << broken.filename();
        ExpectOldPurpleAlone();
    }
    EXPECT_TRUE(Unzip(good).installed);
}

TEST_F(UnzipTest, ASkinIsReplacedWholeWithItsTimeStampsAndOtherSkinsStay) {
    InstallOldPurple();
    Write(target / "blue/skin.qss", "blue");
    const std::time_t folderTime = LocalTime(2021, 3, 4, 5, 6, 8);
    const std::time_t fileTime = LocalTime(2022, 11, 12, 13, 14, 16);
    const fs::path archive = root / "purple.zip";
    {
        ZipArchiveBuilder zip(archive.string());
        ASSERT_TRUE(zip.Folder("purple/"));
        ASSERT_TRUE(zip.File("purple/images/", "", folderTime, 0));
        ASSERT_TRUE(zip.File("purple/skin.qss", "new purple", fileTime));
        ASSERT_TRUE(zip.File("purple/images/bar.png", RandomBytes(5000, 1), fileTime, 0));
        // Of two entries with one name, the later one counts.
        ASSERT_TRUE(zip.File("purple/readme.txt", "first"));
        ASSERT_TRUE(zip.File("purple/readme.txt", "second"));
    }
    const UnzipReport report = Unzip(archive);
    ASSERT_TRUE(report.installed) << report.error;
    EXPECT_EQ(Tree(target),
              (std::set<std::string>{"blue/", "blue/skin.qss", "purple/", "purple/images/",
                                     "purple/images/bar.png", "purple/readme.txt", "purple/skin.qss"}));
    EXPECT_EQ(Read(target / "purple/skin.qss"), "new purple");
    EXPECT_EQ(Read(target / "purple/images/bar.png"), RandomBytes(5000, 1));
    EXPECT_EQ(Read(target / "purple/readme.txt"), "second");
    EXPECT_EQ(Read(target / "blue/skin.qss"), "blue");
    EXPECT_EQ(ModifiedTime(target / "purple/skin.qss"), fileTime);
    EXPECT_EQ(ModifiedTime(target / "purple/images/bar.png"), fileTime);
    EXPECT_EQ(ModifiedTime(target / "purple/images"), folderTime);
}

TEST_F(UnzipTest, ManyFilesUnpackedSideBySideArriveIntact) {
    std::map<std::string, std::string> contents;
    std::mt19937 random(5);
    const fs::path archive = root / "many.zip";
    {
        ZipArchiveBuilder zip(archive.string());
        for (int i = 0; i < 400; ++i) {
            const std::string name = "purple/" + std::to_string(i % 7) + "/" + std::to_string(i) + ".bin";
            // Empty, text-like and incompressible files, deflated and stored.
            const size_t size = i % 50 == 0 ? 0 : random() % 70000;
            contents[name] =
                i % 3 == 0 ? RandomBytes(size, i) : std::string(size, static_cast<char>('a' + i % 26));
            ASSERT_TRUE(zip.File(name, contents[name], 0, i % 4 == 0 ? 0 : Z_DEFLATED));
        }
    }
    const UnzipReport report = Unzip(archive, {}, CZipExtractor::kMaxWorkers);
    ASSERT_TRUE(report.installed) << report.error;
    EXPECT_EQ(report.files, contents.size());
    for (const auto& [name, content] : contents) {
        ASSERT_EQ(Read(target / name), content) << name;
    }
}

TEST_F(UnzipTest, TheComponentsUnZipTakesItsPathsInGb18030AndSaysWhetherItInstalled) {
    const std::string folder = FromQString(m_dir.path()) + "/皮肤";
    const std::string archive = FromQString(m_dir.path()) + "/紫色.zip";
    {
        ZipArchiveBuilder zip(Gb18030ToUtf8(archive));
        ASSERT_TRUE(zip.File(Gb18030ToUtf8("紫色/skin.qss"), "purple"));
    }
    CUICUploadComp component;
    EXPECT_EQ(component.UnZip(archive, folder), 0);
    EXPECT_EQ(Read(Gb18030ToUtf8(folder + "/紫色/skin.qss")), "purple");
    Write(Gb18030ToUtf8(archive), "broken");
    EXPECT_EQ(component.UnZip(archive, folder), -1);
    EXPECT_EQ(Read(Gb18030ToUtf8(folder + "/紫色/skin.qss")), "purple");
}

}  // namespace
