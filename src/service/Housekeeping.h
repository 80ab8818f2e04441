#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace nimbra::service {

// Runs a pruning task on a thread of its own, once every interval, until destroyed.
class Housekeeping final {
public:
    Housekeeping(std::function<void()> prune, std::chrono::seconds interval);
    ~Housekeeping();
    Housekeeping(const Housekeeping&) = delete;
    Housekeeping& operator=(const Housekeeping&) = delete;

private:
    std::function<void()> m_prune;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace nimbra::service
