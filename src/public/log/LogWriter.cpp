#include "log/LogWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <initializer_list>
#include <system_error>

namespace {

// A batch goes out once this much is waiting, without waiting for the period to end.
constexpr size_t kBatchSize = 256 * 1024;
constexpr std::chrono::milliseconds kBatchPeriod(100);

}  // namespace

CLogWriter::CLogWriter(std::string path, size_t queueLimit)
    : m_path(std::move(path)), m_queueLimit(queueLimit), m_batchSize(std::min(kBatchSize, queueLimit)) {}

CLogWriter::~CLogWriter() {
    Stop();
    if (m_fd >= 0) {
        close(m_fd);
    }
}

void CLogWriter::Append(std::string_view entry) {
    std::unique_lock lock(m_mutex);
    if (m_state == State::NoThread && !StartThread()) {
        m_state = State::Direct;
    }
    m_progress.wait(lock, [this] { return m_state == State::Direct || m_pending.size() < m_queueLimit; });
    if (m_state == State::Direct) {
        Write(entry);
        return;
    }
    const bool wasEmpty = m_pending.empty();
    const bool wasBelowBatch = m_pending.size() < m_batchSize;
    m_pending.append(entry);
    ++m_handedOver;
    // The writer is woken for the first entry after a pause and for a full batch, not for every entry.
    if ((wasEmpty && m_writerIdle) || (wasBelowBatch && m_pending.size() >= m_batchSize)) {
        m_wake.notify_one();
    }
}

void CLogWriter::Flush() {
    std::unique_lock lock(m_mutex);
    const uint64_t target = m_handedOver;
    if (m_state != State::Running || m_written >= target) {
        return;
    }
    ++m_flushWaiters;
    m_wake.notify_one();
    m_progress.wait(lock, [&] { return m_written >= target || m_state != State::Running; });
    --m_flushWaiters;
}

void CLogWriter::Stop() {
    std::unique_lock lock(m_mutex);
    if (m_state != State::Running) {
        m_state = State::Direct;
        return;
    }
    if (m_stopping) {
        // Another caller is stopping the writer and joins it.
        m_progress.wait(lock, [this] { return m_state != State::Running; });
        return;
    }
    m_stopping = true;
    m_wake.notify_one();
    lock.unlock();
    m_thread.join();
}

bool CLogWriter::StartThread() {
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    m_state = State::Running;
    return true;
}

void CLogWriter::Run() {
    std::unique_lock lock(m_mutex);
    std::string batch;
    for (;;) {
        if (m_pending.empty()) {
            if (m_stopping) {
                break;
            }
            // A burst is over: the two buffers do not keep its size.
            for (std::string* buffer : {&batch, &m_pending}) {
                if (buffer->capacity() > 4 * m_batchSize) {
                    buffer->shrink_to_fit();
                }
            }
            m_writerIdle = true;
            m_wake.wait(lock, [this] { return !m_pending.empty() || m_stopping; });
            m_writerIdle = false;
        }
        // Gather a batch, unless somebody waits for it.
        m_wake.wait_for(lock, kBatchPeriod, [this] {
            return m_stopping || m_flushWaiters > 0 || m_pending.size() >= m_batchSize;
        });
        batch.swap(m_pending);
        const uint64_t upTo = m_handedOver;
        m_progress.notify_all();
        lock.unlock();
        Write(batch);
        batch.clear();
        lock.lock();
        m_written = upTo;
        m_progress.notify_all();
    }
    // Whatever comes after this is written by its caller, still in order: the queue is empty.
    m_state = State::Direct;
    m_progress.notify_all();
}

void CLogWriter::Write(std::string_view text) {
    if (m_fd < 0 && !m_openFailed) {
        m_fd = open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        m_openFailed = m_fd < 0;
    }
    // One write for the whole text; only a write the system cuts short (a full disk, a signal) goes on
    // with the rest. A file that cannot be written drops the text.
    while (m_fd >= 0 && !text.empty()) {
        const ssize_t written = write(m_fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
}
