#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

class PrivateProfile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/nimbra-profile-XXXXXX";
        m_dir = mkdtemp(pattern);
        m_file = (m_dir / "config.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Put(const std::string& bytes) { std::ofstream(m_file, std::ios::binary) << bytes; }
    std::string Contents() const {
        std::ifstream in(m_file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string Get(const char* section, const char* key, const char* def = "none") const {
        return GetPrivateProfileString(section, key, def, m_file.c_str());
    }
    bool Write(const char* section, const char* key, const char* value) {
        return WritePrivateProfileString(section, key, value, m_file.c_str());
    }

    fs::path m_dir;
    std::string m_file;
};

TEST_F(PrivateProfile, MissingFileGivesTheDefaultAndIsCreatedOnWrite) {
    EXPECT_EQ(Get("PREPATH", "upload", "fallback  "), "fallback");
    EXPECT_FALSE(fs::exists(m_file));

    EXPECT_TRUE(Write("PREPATH", "upload", "/home/u/a.txt"));
    EXPECT_EQ(Contents(), "[PREPATH]\nupload=/home/u/a.txt\n");
    EXPECT_EQ(Get("PREPATH", "upload"), "/home/u/a.txt");
}

TEST_F(PrivateProfile, SectionsAndKeysMatchWithoutRegardToCase) {
    Put("[PrePath]\nUpload=one\n");
    EXPECT_EQ(Get("PREPATH", "UPLOAD"), "one");
    EXPECT_EQ(Get("prepath", "upload"), "one");

    EXPECT_TRUE(Write("PREPATH", "UPLOAD", "two"));
    EXPECT_EQ(Contents(), "[PrePath]\nUpload=two\n");  // the file's own spelling stays
}

TEST_F(PrivateProfile, MultiByteCharactersAreNotCaseFolded) {
    // 0x81 0x41 and 0x81 0x61 are two different characters whose second bytes look like 'A' and 'a'.
    EXPECT_TRUE(Write("S", "\x81\x41", "upper"));
    EXPECT_TRUE(Write("S", "\x81\x61", "lower"));
    EXPECT_EQ(Get("S", "\x81\x41"), "upper");
    EXPECT_EQ(Get("S", "\x81\x61"), "lower");
}

TEST_F(PrivateProfile, EditsKeepEveryOtherLineByteForByte) {
    const std::string before =
        "; written by hand\r\n"
        "\r\n"
        "[TIPINFO]\r\n"
        "MainColor = 255 ; not a comment for the reader\r\n"
        "\r\n"
        "[Unknown]\r\n"
        "odd line without equals\r\n"
        "x=1\r\n"
        "\r\n"
        "[PREPATH]\r\n"
        "upload=old\r\n";
    Put(before);

    EXPECT_TRUE(Write("TIPINFO", "ShowTime", "5000"));
    EXPECT_TRUE(Write("PREPATH", "upload", "new"));
    EXPECT_TRUE(Write("PREPATH", "DOWNFILES", "/d"));
    EXPECT_EQ(Contents(),
              "; written by hand\r\n"
              "\r\n"
              "[TIPINFO]\r\n"
              "MainColor = 255 ; not a comment for the reader\r\n"
              "ShowTime=5000\r\n"
              "\r\n"
              "[Unknown]\r\n"
              "odd line without equals\r\n"
              "x=1\r\n"
              "\r\n"
              "[PREPATH]\r\n"
              "upload=new\r\n"
              "DOWNFILES=/d\r\n");
}

TEST_F(PrivateProfile, AppendsToAFileWithoutFinalLineBreak) {
    Put("[A]\nk=v");
    EXPECT_TRUE(Write("B", "k", "w"));
    EXPECT_EQ(Contents(), "[A]\nk=v\n[B]\nk=w\n");
}

TEST_F(PrivateProfile, NullValueDeletesTheKeyAndNullKeyTheSection) {
    Put("[A]\n; about a\nk=1\nj=2\n[B]\nk=3\n");
    EXPECT_TRUE(Write("a", "K", nullptr));
    EXPECT_EQ(Contents(), "[A]\n; about a\nj=2\n[B]\nk=3\n");

    EXPECT_TRUE(Write("A", nullptr, nullptr));
    EXPECT_EQ(Contents(), "[B]\nk=3\n");
    EXPECT_EQ(Get("A", "j"), "none");

    // Deleting what is not there succeeds and leaves the file alone.
    EXPECT_TRUE(Write("missing", nullptr, nullptr));
    EXPECT_TRUE(Write("B", "missing", nullptr));
    EXPECT_EQ(Contents(), "[B]\nk=3\n");
}

TEST_F(PrivateProfile, ValuesAreRawBytesTrimmedOfBlanksAndQuotes) {
    const std::string path = "我的网盘\\我的文件夹\\\x95\x32\x82\x36";
    EXPECT_TRUE(Write("PREPATH", "netdiskdownload", path.c_str()));
    EXPECT_EQ(Contents(), "[PREPATH]\nnetdiskdownload=" + path + "\n");
    EXPECT_EQ(Get("PREPATH", "netdiskdownload"), path);

    Put("[S]\n  spaced  =  a b \t\nquoted=\" kept blanks \"\nhalf=\"open\nempty=\n");
    EXPECT_EQ(Get("S", "spaced"), "a b");
    EXPECT_EQ(Get("S", "quoted"), " kept blanks ");
    EXPECT_EQ(Get("S", "half"), "\"open");
    EXPECT_EQ(Get("S", "empty"), "");
}

TEST_F(PrivateProfile, TextThatWouldNotReadBackIsRefused) {
    Put("[S]\nk=v\n");
    EXPECT_FALSE(Write("S", "k", "two\n[PREPATH]\nupload=elsewhere"));
    EXPECT_FALSE(Write("S", "a=b", "v"));
    EXPECT_FALSE(Write("S\n", "k", "v"));
    EXPECT_FALSE(Write("S", "[k]", "v"));
    EXPECT_FALSE(Write(nullptr, "k", "v"));
    EXPECT_EQ(Contents(), "[S]\nk=v\n");
}

TEST_F(PrivateProfile, IntegersReadLikeThePlatformReadsThem) {
    Put("[TIPINFO]\nMainColor=16777215\nNeg=-5\nHex=0xFF00\nTail=12px\nWord=abc\nEmpty=\n");
    const char* file = m_file.c_str();
    EXPECT_EQ(GetPrivateProfileInt("TIPINFO", "MainColor", 0, file), 16777215);
    EXPECT_EQ(GetPrivateProfileInt("TIPINFO", "Neg", 0, file), -5);
    EXPECT_EQ(GetPrivateProfileInt("TIPINFO", "Hex", 0, file), 0xFF00);
    EXPECT_EQ(GetPrivateProfileInt("TIPINFO", "Tail", 0, file), 12);
    EXPECT_EQ(GetPrivateProfileInt("TIPINFO", "Word", 7, file), 0);
    EXPECT_EQ(GetPrivateProfileInt("TIPINFO", "Empty", 7, file), 7);
    EXPECT_EQ(GetPrivateProfileInt("TIPINFO", "ShowTime", 3000, file), 3000);
}

TEST_F(PrivateProfile, WritesLeaveNoTemporaryFilesBehind) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(Write("S", ("k" + std::to_string(i)).c_str(), "v"));
    }
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        EXPECT_EQ(entry.path().filename(), "config.ini");
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(PrivateProfile, AFileThatCannotBeReadIsNotReplaced) {
    fs::create_directory(m_file);  // a directory where the file should be: exists, cannot be read
    EXPECT_FALSE(Write("S", "k", "v"));
    EXPECT_TRUE(fs::is_directory(m_file));
    EXPECT_EQ(Get("S", "k"), "none");
}

}  // namespace
