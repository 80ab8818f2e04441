#include "log/LogFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "log/LogMacros.h"

namespace {

namespace fs = std::filesystem;

class LogFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/nimbra-log-XXXXXX";
        m_dir = mkdtemp(pattern);
        setenv("NIMBRA_LOG_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("NIMBRA_LOG_DIR");
        fs::remove_all(m_dir);
    }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::vector<std::string> Lines(const std::string& path) {
        std::vector<std::string> lines;
        std::istringstream in(Contents(path));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    fs::path m_dir;
};

TEST_F(LogFile, EntryCarriesTheSourceStampAndTheFormattedText) {
    CLogFile log("plain.txt", 0, 1);
    EXPECT_EQ(log.FilePath(), (m_dir / "plain.txt").string());
    g_pszLogSourceFile = "/work/src/uic/UICUploadComp.cpp";
    g_nLogSourceLine = 120;
    log.WriteLogInfo("%s, Info = %s", "CUICUploadComp::InitUIP", "started");
    g_nLogSourceLine = 121;
    log.WriteLogInfo("count %d", 7);
    EXPECT_EQ(Contents(log.FilePath()),
              "[UICUploadComp.cpp:120] CUICUploadComp::InitUIP, Info = started\n"
              "[UICUploadComp.cpp:121] count 7\n");
}

TEST_F(LogFile, FirstOptionStampsDateAndTime) {
    CLogFile log("timed.txt", 1, 1);
    g_pszLogSourceFile = "a.cpp";
    g_nLogSourceLine = 1;
    log.WriteLogInfo("x");
    const std::regex entry(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[a\.cpp:1\] x\n)");
    EXPECT_TRUE(std::regex_match(Contents(log.FilePath()), entry)) << Contents(log.FilePath());
}

TEST_F(LogFile, LongTextsAreWrittenWhole) {
    CLogFile log("long.txt", 0, 1);
    g_pszLogSourceFile = nullptr;
    const std::string text(100 * 1024, 'q');
    log.WriteLogInfo("<%s>", text.c_str());
    EXPECT_EQ(Contents(log.FilePath()), "<" + text + ">\n");
}

TEST_F(LogFile, ModuleMacrosWriteGb18030BytesAsTheyAre) {
    // The module log is made once per process: this is the only test that touches it.
    EXPECT_EQ(ModuleLog().FilePath(), (m_dir / "Nimbra.txt").string());
    {
        LOG_FUNCTION("CUICUploadComp::ShowUpload");
        LOG_NULL("CUICUploadComp::ShowUpload", "m_pUICUploadDlg");
    }
    const std::vector<std::string> lines = Lines(ModuleLog().FilePath());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("[LogFileTest.cpp:"), std::string::npos);
    EXPECT_NE(lines[0].find("] Enter CUICUploadComp::ShowUpload"), std::string::npos);
    // "为空" and "错误" in GB18030.
    EXPECT_NE(lines[1].find(
                  "CUICUploadComp::ShowUpload, error = m_pUICUploadDlg\xCE\xAA\xBF\xD5, \xB4\xED\xCE\xF3"),
              std::string::npos);
    EXPECT_NE(lines[2].find("] Exit Function CUICUploadComp::ShowUpload"), std::string::npos);
}

TEST_F(LogFile, EntriesFromManyThreadsStayWhole) {
    std::string path;
    {
        // Without the second option entries are buffered; they reach the file when the log closes.
        CLogFile log("threads.txt", 1, 0);
        path = log.FilePath();
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&log, t] {
                const std::string filler(200, static_cast<char>('a' + t));
                for (int i = 0; i < 500; ++i) {
                    log.WriteLogInfo("thread %d entry %d %s", t, i, filler.c_str());
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    const std::regex entry(R"(.* thread (\d) entry \d+ ([a-d])\2{199})");
    const std::vector<std::string> lines = Lines(path);
    ASSERT_EQ(lines.size(), 2000u);
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, entry)) << line;
        EXPECT_EQ(m[1].str()[0] - '0', m[2].str()[0] - 'a');
    }
}

TEST_F(LogFile, AbsoluteNamesAreKeptAndUnwritablePlacesAreHarmless) {
    const std::string absolute = (m_dir / "abs.txt").string();
    CLogFile log(absolute.c_str(), 0, 1);
    EXPECT_EQ(log.FilePath(), absolute);

    CLogFile nowhere("no/such/dir/x.txt", 0, 1);
    nowhere.WriteLogInfo("dropped");
    EXPECT_FALSE(fs::exists(nowhere.FilePath()));
}

}  // namespace
