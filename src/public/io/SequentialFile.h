#pragma once
// Writes a file front to back. Whole aligned blocks go around the page cache: a file that is synced once it
// is complete reaches the disk anyway, and copying it through the cache first costs more than receiving it.
// Other bytes, and files on file systems without direct writes, go through the cache.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <new>
#include <vector>

namespace nimbra::io {

// Memory on page boundaries, as direct writes require of their buffers.
template <class T>
struct PageAlignedAllocator {
    using value_type = T;
    static constexpr std::align_val_t kAlignment{4096};

    PageAlignedAllocator() = default;
    template <class U>
    PageAlignedAllocator(const PageAlignedAllocator<U>&) {}

    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlignment)); }
    void deallocate(T* p, size_t) { ::operator delete(p, kAlignment); }
    bool operator==(const PageAlignedAllocator&) const { return true; }
};

using AlignedBlock = std::vector<char, PageAlignedAllocator<char>>;

class SequentialFile final {
public:
    // Offsets, lengths and buffers of direct writes are multiples of this (a page, a multiple of any common
    // logical block size).
    static constexpr size_t kAlign = static_cast<size_t>(PageAlignedAllocator<char>::kAlignment);

    // Writes through `fd` (which stays the caller's) from `offset` on; `path` is opened a second time for the
    // direct writes, once there is an aligned block to write.
    SequentialFile(int fd, const std::filesystem::path& path, uint64_t offset);
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    // Writes at the offset and moves past the bytes; false on failure, with errno set.
    bool Write(const char* data, size_t size);
    // Goes on from `offset`, after the caller cut the file back to it.
    void MoveTo(uint64_t offset);
    uint64_t Offset() const { return m_offset; }

    // Moves bytes from the front of `data` into `block`, which starts at file offset `blockStart`, until the
    // block is full: at most `blockBytes`, less for a block that starts unaligned, so that every block after
    // it starts aligned. True when the block is full.
    static bool FillBlock(AlignedBlock& block, uint64_t blockStart, size_t blockBytes, const char*& data,
                          size_t& size);

private:
    // Opens the file for direct writes on first use; false where they are not available.
    bool DirectReady();

    int m_fd;
    std::filesystem::path m_path;
    int m_directFd = -1;
    bool m_directTried = false;
    uint64_t m_offset;
    uint64_t m_writebackFrom;
};

}  // namespace nimbra::io
