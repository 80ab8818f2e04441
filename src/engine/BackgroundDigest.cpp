#include "engine/BackgroundDigest.h"

#include <chrono>

namespace nimbra::engine {

BackgroundDigest::~BackgroundDigest() {
    Drop();
}

void BackgroundDigest::Start(int fd, Window window, std::function<void()> done) {
    Drop();
    m_cancel = false;
    m_window = window;
    std::promise<std::optional<uint32_t>> result;
    m_future = result.get_future();
    m_thread = std::thread([this, fd, window, result = std::move(result), done = std::move(done)]() mutable {
        result.set_value(Checksum::Crc32cOfWindow(fd, window.offset, window.length, &m_cancel));
        if (done) {
            done();
        }
    });
}

bool BackgroundDigest::Ready() const {
    return m_future.valid() && m_future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::optional<uint32_t> BackgroundDigest::Take() {
    if (!m_future.valid()) {
        return std::nullopt;
    }
    auto digest = m_future.get();
    m_thread.join();
    return digest;
}

void BackgroundDigest::Drop() {
    if (m_thread.joinable()) {
        m_cancel = true;
        m_thread.join();
    }
    m_future = {};
}

}  // namespace nimbra::engine
