#pragma once
// Appends finished log entries to one file from a thread of its own, so that a thread that logs never waits
// for the file. Entries are written whole and in the order they were handed over, in batches: a batch goes
// out once enough has gathered, or at the latest about 100 ms after its first entry, in one append to the
// file, so that other processes appending to the same file never split an entry. The entries waiting are
// bounded; a caller that finds the bound reached waits for the writer.
//
// Stop (also run by the destructor) writes out everything handed over and ends the thread; entries handed
// over after that, and all entries when no thread could be started, are written directly by the caller.
// A crash loses the entries that have not reached the file yet: normally those of the last ~100 ms, at most
// the queue's bound when the writer lags far behind.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class CLogWriter {
public:
    static constexpr size_t kQueueLimit = 8 * 1024 * 1024;

    // queueLimit: bytes of entries waiting at most, beyond which a caller waits for the writer.
    explicit CLogWriter(std::string path, size_t queueLimit = kQueueLimit);
    ~CLogWriter();
    CLogWriter(const CLogWriter&) = delete;
    CLogWriter& operator=(const CLogWriter&) = delete;

    void Append(std::string_view entry);
    // Returns once every entry handed over before the call is in the file.
    void Flush();
    void Stop();

private:
    enum class State { NoThread, Running, Direct };

    void Run();
    // Opened on the first entry; a file that cannot be opened drops its entries rather than failing the
    // operation that logs.
    void Write(std::string_view text);
    bool StartThread();

    const std::string m_path;
    const size_t m_queueLimit;
    const size_t m_batchSize;
    int m_fd = -1;
    bool m_openFailed = false;

    std::mutex m_mutex;
    std::condition_variable m_wake;      // the writer: work or a request is waiting
    std::condition_variable m_progress;  // callers: room in the queue, or a batch written
    State m_state = State::NoThread;
    bool m_writerIdle = false;
    bool m_stopping = false;
    int m_flushWaiters = 0;
    std::string m_pending;
    uint64_t m_handedOver = 0;  // entries handed over so far
    uint64_t m_written = 0;     // of which in the file
    std::thread m_thread;
};
