#include "engine/ChunkPlan.h"

#include <algorithm>

namespace nimbra::engine {

namespace {

// Shorter requests say more about latency than about speed.
constexpr uint64_t kMinMeasuredBytes = 1ull << 20;

}  // namespace

void ChunkPlan::Measured(uint64_t length, std::chrono::steady_clock::duration elapsed) {
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
    if (length >= kMinMeasuredBytes && micros > 0) {
        m_bytesPerSecond =
            static_cast<uint64_t>(static_cast<double>(length) * 1e6 / static_cast<double>(micros));
    }
}

uint64_t ChunkPlan::LengthAt(uint64_t offset, uint64_t size) const {
    if (offset >= size) {
        return 0;
    }
    const uint64_t wanted =
        m_bytesPerSecond > 0 ? std::clamp(m_bytesPerSecond / 1000 * static_cast<uint64_t>(kChunkTime.count()),
                                          kFirstChunkSize, kMaxChunkSize)
                             : std::clamp(offset, kFirstChunkSize, kUnmeasuredChunkSize);
    return std::min(size - offset, wanted);
}

}  // namespace nimbra::engine
