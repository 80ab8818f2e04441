#include "log/LogWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

class LogWriter : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/nimbra-log-writer-XXXXXX";
        m_dir = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::vector<std::string> Lines(const std::string& name) const {
        std::ifstream in(m_dir / name);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    fs::path m_dir;
};

TEST_F(LogWriter, CallersWaitForAFullQueueAndNothingIsLostOrReordered) {
    constexpr int kThreads = 4;
    constexpr int kEntries = 5000;
    {
        // A queue of 4 KiB is full after a few dozen entries.
        CLogWriter writer((m_dir / "full.txt").string(), true, 4096);
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
    const std::vector<std::string> lines = Lines("full.txt");
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

TEST_F(LogWriter, FlushPutsEverythingHandedOverInTheFileEvenWithoutFlushingEachBatch) {
    CLogWriter writer((m_dir / "buffered.txt").string(), false);
    for (int i = 0; i < 1000; ++i) {
        writer.Append("entry " + std::to_string(i) + "\n");
    }
    writer.Flush();
    const std::vector<std::string> lines = Lines("buffered.txt");
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.back(), "entry 999");
    writer.Append("after\n");
    writer.Flush();
    EXPECT_EQ(Lines("buffered.txt").back(), "after");
}

TEST_F(LogWriter, EntriesAreWrittenWithoutAFlushWithinAboutTheBatchPeriod) {
    CLogWriter writer((m_dir / "period.txt").string(), true);
    writer.Append("one\n");
    // Far more than the ~100 ms period, far less than anything but a stalled writer would need.
    for (int wait = 0; wait < 200 && Lines("period.txt").empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(Lines("period.txt"), std::vector<std::string>{"one"});
}

}  // namespace
