#include "log/LogFile.h"
#include "log/LogWriter.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>

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
    log.Flush();
    EXPECT_EQ(Contents(log.FilePath()),
              "[UICUploadComp.cpp:120] CUICUploadComp::InitUIP, Info = started\n"
              "[UICUploadComp.cpp:121] count 7\n");
}

TEST_F(LogFile, FirstOptionStampsDateAndTime) {
    CLogFile log("timed.txt", 1, 1);
    g_pszLogSourceFile = "a.cpp";
    g_nLogSourceLine = 1;
    log.WriteLogInfo("x");
    log.Flush();
    const std::regex entry(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[a\.cpp:1\] x\n)");
    EXPECT_TRUE(std::regex_match(Contents(log.FilePath()), entry)) << Contents(log.FilePath());
}

TEST_F(LogFile, LongTextsAreWrittenWhole) {
    CLogFile log("long.txt", 0, 1);
    g_pszLogSourceFile = nullptr;
    const std::string text(100 * 1024, 'q');
    log.WriteLogInfo("<%s>", text.c_str());
    log.Flush();
    EXPECT_EQ(Contents(log.FilePath()), "<" + text + ">\n");
}

TEST_F(LogFile, ModuleMacrosWriteGb18030BytesAsTheyAre) {
    // The module log is made once per process: this is the only test that touches it.
    EXPECT_EQ(ModuleLog().FilePath(), (m_dir / "Nimbra.txt").string());
    {
        LOG_FUNCTION("CUICUploadComp::ShowUpload");
        LOG_NULL("CUICUploadComp::ShowUpload", "m_pUICUploadDlg");
    }
    ModuleLog().Flush();
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

TEST_F(LogFile, EntriesFromManyThreadsStayWholeInOrderWithTheirOwnStamps) {
    constexpr int kThreads = 4;
    constexpr int kEntries = 5000;
    std::string path;
    {
        CLogFile log("threads.txt", 1, 0);
        path = log.FilePath();
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&log, t] {
                const std::string file = "src/thread" + std::to_string(t) + ".cpp";
                const std::string filler(200, static_cast<char>('a' + t));
                for (int i = 0; i < kEntries; ++i) {
                    g_pszLogSourceFile = file.c_str();
                    g_nLogSourceLine = i;
                    log.WriteLogInfo("thread %d entry %d %s", t, i, filler.c_str());
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    const std::vector<std::string> lines = Lines(path);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kEntries));
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines) {
        // "<date> <time> [thread<t>.cpp:<i>] thread <t> entry <i> <200 filler letters of thread t>"
        int stampThread = -1, stampLine = -1, thread = -1, entry = -1, fillerAt = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%*s %*s [thread%d.cpp:%d] thread %d entry %d %n", &stampThread,
                              &stampLine, &thread, &entry, &fillerAt),
                  4)
            << line;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
        EXPECT_EQ(stampThread, thread) << line;
        EXPECT_EQ(stampLine, entry) << line;
        EXPECT_EQ(line.substr(static_cast<size_t>(fillerAt)),
                  std::string(200, static_cast<char>('a' + thread)));
        ASSERT_EQ(entry, next[thread]) << "out of order: " << line;
        ++next[thread];
    }
}

TEST_F(LogFile, EntriesReadAsTheCLibraryFormatsThem) {
    CLogFile log("printf.txt", 0, 1);
    g_pszLogSourceFile = nullptr;
    std::vector<std::string> expected;
    const auto both = [&](const char* format, auto... values) {
        log.WriteLogInfo(format, values...);
        char text[256];
        std::snprintf(text, sizeof text, format, values...);
        expected.push_back(text);
    };
    // Read through a volatile, so that the compiler cannot see the null.
    static const char* volatile none = nullptr;
    both("%s, Info = %s", "CUICTransmitDlg::OnTimer", "\xB2\xA5\xB7\xC5");
    both("%s %s", "Exit Function", "CUIPUploadComp::GetProgress");
    both("%s, error = %s", none, "m_pDlgTransmit");
    both("%d of %d%% done, %d", 0, 100, -7);
    both("%d %d %s", INT_MIN, INT_MAX, "");
    both("%s%s%s", "a", "", "c");
    both("no conversion at the end %%", 1);
    both("%5d|%-4s|%x|%0.1f%%", 42, "ab", 255u, 99.75);
    both("%zu %ld %c %s", size_t{18446744073709551615u}, -1L, 'q', "tail");
    log.Flush();
    EXPECT_EQ(Lines(log.FilePath()), expected);
}

TEST_F(LogFile, TextsAroundTheLengthOfTheCallersBufferAreWrittenWhole) {
    CLogFile log("edge.txt", 1, 1);
    g_pszLogSourceFile = "edge.cpp";
    g_nLogSourceLine = 9;
    std::string expected;
    for (size_t length = 960; length <= 1040; ++length) {
        const std::string text(length, static_cast<char>('a' + length % 26));
        log.WriteLogInfo("%s|%zu", text.c_str(), length);
        expected += text + "|" + std::to_string(length);
    }
    log.Flush();
    std::string written;
    for (const std::string& line : Lines(log.FilePath())) {
        const size_t stamp = line.find("[edge.cpp:9] ");
        ASSERT_EQ(stamp, 24u) << line;
        written += line.substr(stamp + 13);
    }
    EXPECT_EQ(written, expected);
}

TEST_F(LogFile, TimeStampFollowsTheClockAcrossSeconds) {
    CLogFile log("seconds.txt", 1, 1);
    g_pszLogSourceFile = nullptr;
    // The precise clock the log uses: time() follows a coarser one that can lag it by a tick.
    auto now = [] { return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()); };
    log.WriteLogInfo("first");
    const time_t first = now();
    while (now() == first) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const time_t second = now();
    log.WriteLogInfo("second");
    log.Flush();
    tm local{};
    localtime_r(&second, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S.", &local);
    const std::vector<std::string> lines = Lines(log.FilePath());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].substr(0, 20), lines[1].substr(0, 20));
    EXPECT_EQ(lines[1].substr(0, 20), expected);
}

TEST_F(LogFile, EntriesAfterClosingAreWrittenDirectlyAfterTheRest) {
    CLogFile log("closed.txt", 0, 1);
    g_pszLogSourceFile = nullptr;
    for (int i = 0; i < 3000; ++i) {
        log.WriteLogInfo("queued %d", i);
    }
    log.Close();
    log.WriteLogInfo("direct");
    // No Flush: a closed log writes before it returns.
    const std::vector<std::string> lines = Lines(log.FilePath());
    ASSERT_EQ(lines.size(), 3001u);
    EXPECT_EQ(lines[2999], "queued 2999");
    EXPECT_EQ(lines[3000], "direct");
}

TEST_F(LogFile, ModuleLogIsWrittenOutWhenTheProcessExits) {
    // The probe logs its entries and returns from main at once; a late entry comes from the destructor
    // of an object that outlives the module log's writer.
    pid_t child = 0;
    char count[] = "20000";
    char* const args[] = {const_cast<char*>(NIMBRA_LOG_EXIT_PROBE), count, nullptr};
    ASSERT_EQ(posix_spawn(&child, NIMBRA_LOG_EXIT_PROBE, nullptr, nullptr, args, environ), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::vector<std::string> lines = Lines((m_dir / "Nimbra.txt").string());
    ASSERT_EQ(lines.size(), 20001u);
    EXPECT_NE(lines[19999].find("probe, Info = 19999"), std::string::npos) << lines[19999];
    EXPECT_NE(lines[20000].find("probe, Info = late"), std::string::npos) << lines[20000];
}

TEST_F(LogFile, ModuleLogIsWrittenOutWhenTheModuleUnloads) {
    void* module = dlopen(NIMBRA_LOG_PROBE_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto logEntries = reinterpret_cast<void (*)(int)>(dlsym(module, "LogProbeEntries"));
    ASSERT_NE(logEntries, nullptr);
    // From a thread that ends before the unload: a thread that used the module's code-page converters
    // keeps the module loaded while it lives.
    std::thread([logEntries] {
#if defined(__SANITIZE_ADDRESS__)
        // The module's log is never freed (late destructors still log); once the module is gone nothing
        // points to it any more.
        __lsan_disable();
#endif
        logEntries(20000);
#if defined(__SANITIZE_ADDRESS__)
        __lsan_enable();
#endif
    }).join();
    ASSERT_EQ(dlclose(module), 0);
    ASSERT_EQ(dlopen(NIMBRA_LOG_PROBE_MODULE, RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
    const std::vector<std::string> lines = Lines((m_dir / "Nimbra.txt").string());
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_NE(lines.back().find("probe, Info = 19999"), std::string::npos) << lines.back();
}

TEST_F(LogFile, AbsoluteNamesAreKeptAndUnwritablePlacesAreHarmless) {
    const std::string absolute = (m_dir / "abs.txt").string();
    CLogFile log(absolute.c_str(), 0, 1);
    EXPECT_EQ(log.FilePath(), absolute);

    CLogFile nowhere("no/such/dir/x.txt", 0, 1);
    nowhere.WriteLogInfo("dropped");
    nowhere.Flush();
    EXPECT_FALSE(fs::exists(nowhere.FilePath()));
}

// The writer on its own, with a queue small enough to fill.
class LogWriter : public LogFile {};

TEST_F(LogWriter, CallersWaitForAFullQueueAndNothingIsLostOrReordered) {
    constexpr int kThreads = 4;
    constexpr int kEntries = 5000;
    {
        // A queue of 4 KiB is full after a few dozen entries.
        CLogWriter writer((m_dir / "full.txt").string(), 4096);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&writer, t] {
                const std::string filler(100, static_cast<char>('a' + t));
                for (int i = 0; i < kEntries; ++i) {
                    writer.Append(std::to_string(t) + " " + std::to_string(i) + " " + filler + "\n");
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    const std::vector<std::string> lines = Lines((m_dir / "full.txt").string());
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kEntries));
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines) {
        int thread = -1;
        int entry = -1;
        int fillerAt = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %d %n", &thread, &entry, &fillerAt), 2) << line;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
        EXPECT_EQ(line.substr(static_cast<size_t>(fillerAt)),
                  std::string(100, static_cast<char>('a' + thread)));
        ASSERT_EQ(entry, next[thread]) << "out of order: " << line;
        ++next[thread];
    }
}

TEST_F(LogWriter, FlushReturnsOnceEverythingHandedOverIsInTheFile) {
    CLogWriter writer((m_dir / "flushed.txt").string());
    for (int i = 0; i < 1000; ++i) {
        writer.Append("entry " + std::to_string(i) + "\n");
    }
    writer.Flush();
    const std::vector<std::string> lines = Lines((m_dir / "flushed.txt").string());
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.back(), "entry 999");
    writer.Append("after\n");
    writer.Flush();
    EXPECT_EQ(Lines((m_dir / "flushed.txt").string()).back(), "after");
}

TEST_F(LogWriter, TwoWritersOnOneFileNeverSplitEachOthersEntries) {
    // As two processes that log into one program directory.
    const std::string path = (m_dir / "shared.txt").string();
    {
        CLogWriter first(path);
        CLogWriter second(path);
        std::vector<std::thread> threads;
        for (CLogWriter* writer : {&first, &second}) {
            for (const char letter : {'a', 'b'}) {
                threads.emplace_back([writer, letter] {
                    const std::string entry = std::string(1000, letter) + "\n";
                    for (int i = 0; i < 2000; ++i) {
                        writer->Append(entry);
                    }
                });
            }
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    const std::vector<std::string> lines = Lines(path);
    ASSERT_EQ(lines.size(), 8000u);
    for (const std::string& line : lines) {
        ASSERT_TRUE(line == std::string(1000, 'a') || line == std::string(1000, 'b')) << line.substr(0, 80);
    }
}

TEST_F(LogWriter, EntriesReachTheFileWithoutAFlushWithinAboutTheBatchPeriod) {
    CLogWriter writer((m_dir / "period.txt").string());
    writer.Append("one\n");
    // Far more than the ~100 ms period, far less than anything but a stalled writer would need.
    for (int wait = 0; wait < 200 && Lines((m_dir / "period.txt").string()).empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(Lines((m_dir / "period.txt").string()), std::vector<std::string>{"one"});
}

}  // namespace
