#pragma once
// The CRC-32C of a file window computed on its own thread, so that checksumming the next chunk never stalls
// the transfer thread. Destroying it cancels and waits for the work.

#include <atomic>
#include <functional>
#include <future>
#include <optional>
#include <thread>

#include "engine/Checksum.h"

namespace nimbra::engine {

class BackgroundDigest final {
public:
    struct Window {
        uint64_t offset = 0;
        uint64_t length = 0;
        bool operator==(const Window&) const = default;
    };

    BackgroundDigest() = default;
    ~BackgroundDigest();
    BackgroundDigest(const BackgroundDigest&) = delete;
    BackgroundDigest& operator=(const BackgroundDigest&) = delete;

    // Starts hashing (any earlier work is dropped); done runs on the hashing thread once the result is ready.
    void Start(int fd, Window window, std::function<void()> done);
    bool Started() const { return m_future.valid(); }
    bool Ready() const;
    const Window& Target() const { return m_window; }
    // The result of the finished work; ends the work.
    std::optional<uint32_t> Take();

private:
    void Drop();

    std::atomic<bool> m_cancel{false};
    Window m_window;
    std::future<std::optional<uint32_t>> m_future;
    std::thread m_thread;
};

}  // namespace nimbra::engine
