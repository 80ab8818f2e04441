#pragma once
// How many bytes the next request of an upload carries. The creation carries up to kFirstChunkSize bytes.
// Later requests are sized by the speed the last one reached, to last about kChunkTime; without a
// measurement (a task resumed after a restart) they carry as many bytes as are confirmed, up to
// kUnmeasuredChunkSize. A failed request, whose bytes the server drops as their checksum cannot be
// checked, so costs a few seconds of sending, while a fast link needs only a few requests.

#include <chrono>
#include <cstdint>

namespace nimbra::engine {

class ChunkPlan final {
public:
    static constexpr uint64_t kFirstChunkSize = 16ull << 20;
    static constexpr uint64_t kUnmeasuredChunkSize = 256ull << 20;
    static constexpr uint64_t kMaxChunkSize = 4ull << 30;
    static constexpr std::chrono::milliseconds kChunkTime{2000};

    // A request of `length` bytes was answered `elapsed` after it started.
    void Measured(uint64_t length, std::chrono::steady_clock::duration elapsed);
    // Bytes of the request that starts at `offset` of a file of `size` bytes.
    uint64_t LengthAt(uint64_t offset, uint64_t size) const;

private:
    uint64_t m_bytesPerSecond = 0;  // 0 until measured
};

}  // namespace nimbra::engine
