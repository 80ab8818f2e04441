#include "service/FileSender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "service/NameRules.h"

namespace nimbra::service {

namespace {

constexpr size_t kChunkBytes = 1 << 20;

struct OpenFile {
    int fd = -1;
    std::vector<char> buffer;
    ~OpenFile() {
        if (fd >= 0)
            close(fd);
    }
};

struct ByteSpan {
    int64_t first = 0;
    int64_t length = 0;
};

enum class RangeKind { Whole, Span, Unsatisfiable };

// "bytes=N-", "bytes=N-M" or "bytes=-N" against a file of `size` bytes.
RangeKind ParseRange(const std::string& header, int64_t size, ByteSpan& span) {
    static const std::string kUnit = "bytes=";
    if (header.compare(0, kUnit.size(), kUnit) != 0)
        return RangeKind::Whole;
    const std::string ranges = header.substr(kUnit.size());
    if (ranges.find(',') != std::string::npos)
        return RangeKind::Whole;
    const size_t dash = ranges.find('-');
    if (dash == std::string::npos)
        return RangeKind::Whole;
    const auto first = ParseSize(ranges.substr(0, dash));
    const auto last = ParseSize(ranges.substr(dash + 1));
    if (!first) {
        if (!last || *last == 0 || size == 0)
            return RangeKind::Unsatisfiable;
        span.length = std::min(*last, size);
        span.first = size - span.length;
        return RangeKind::Span;
    }
    if (*first >= size)
        return RangeKind::Unsatisfiable;
    if (dash + 1 < ranges.size() && (!last || *last < *first))
        return RangeKind::Whole;
    const int64_t end = last ? std::min(*last, size - 1) : size - 1;
    span.first = *first;
    span.length = end - *first + 1;
    return RangeKind::Span;
}

// Identifies one version of a file: a rewrite changes its modification time, a replacement its inode.
std::string EntityTag(const struct stat& info) {
    char tag[80];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx-%llx\"", static_cast<unsigned long long>(info.st_ino),
                  static_cast<unsigned long long>(info.st_size),
                  static_cast<unsigned long long>(info.st_mtim.tv_sec) * 1'000'000'000ull +
                      static_cast<unsigned long long>(info.st_mtim.tv_nsec));
    return tag;
}

}  // namespace

bool SendFile(const httplib::Request& req, httplib::Response& res, const std::filesystem::path& path,
              const std::string& contentType, int64_t dropAfter) {
    auto file = std::make_shared<OpenFile>();
    file->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (file->fd < 0 || fstat(file->fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const int64_t size = info.st_size;

    const std::string tag = EntityTag(info);
    res.set_header("ETag", tag);
    // A range of another version than the client holds would splice two files: send this one whole.
    const bool sameVersion = !req.has_header("If-Range") || req.get_header_value("If-Range") == tag;
    ByteSpan span{0, size};
    const RangeKind kind = req.has_header("Range") && sameVersion
                               ? ParseRange(req.get_header_value("Range"), size, span)
                               : RangeKind::Whole;
    // The HTTP library would apply the ranges a second time, and gets ends past the file wrong: the
    // range is handled here in full. The request object itself is not const inside the library.
    const_cast<httplib::Request&>(req).ranges.clear();
    res.set_header("Accept-Ranges", "bytes");
    if (kind == RangeKind::Unsatisfiable) {
        res.status = 416;
        res.set_header("Content-Range", "bytes */" + std::to_string(size));
        return true;
    }
    if (kind == RangeKind::Span) {
        res.status = 206;
        res.set_header("Content-Range", "bytes " + std::to_string(span.first) + "-" +
                                            std::to_string(span.first + span.length - 1) + "/" +
                                            std::to_string(size));
    } else {
        span = {0, size};
    }
    posix_fadvise(file->fd, span.first, span.length, POSIX_FADV_SEQUENTIAL);
    const int64_t base = span.first;
    res.set_content_provider(
        static_cast<size_t>(span.length), contentType,
        [file, base, dropAfter](size_t offset, size_t length, httplib::DataSink& sink) {
            if (file->buffer.empty())
                file->buffer.resize(kChunkBytes);
            size_t want = std::min(length, kChunkBytes);
            if (dropAfter >= 0) {
                if (static_cast<int64_t>(offset) >= dropAfter)
                    return false;
                want = std::min(want, static_cast<size_t>(dropAfter - static_cast<int64_t>(offset)));
            }
            const ssize_t got = pread(file->fd, file->buffer.data(), want,
                                      static_cast<off_t>(base + static_cast<int64_t>(offset)));
            // A file that shrank under us must end the answer rather than send fewer bytes than announced.
            if (got <= 0)
                return false;
            return sink.write(file->buffer.data(), static_cast<size_t>(got));
        },
        [file](bool) {});
    return true;
}

}  // namespace nimbra::service
