#include "service/FileSender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "service/NameRules.h"

namespace nimbra::service {

namespace {

struct ByteSpan {
    int64_t first = 0;
    int64_t length = 0;
};

enum class RangeKind { Whole, Span, Unsatisfiable };

// One range of "bytes=": "N-", "N-M" (M >= N) or "-N"; nullopt when it cannot be read.
std::optional<std::pair<std::optional<int64_t>, std::optional<int64_t>>> ParseOneRange(
    const std::string& range) {
    const size_t dash = range.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const std::string firstText = TrimBlanks(range.substr(0, dash));
    const std::string lastText = TrimBlanks(range.substr(dash + 1));
    const auto first = firstText.empty() ? std::nullopt : ParseSize(firstText);
    const auto last = lastText.empty() ? std::nullopt : ParseSize(lastText);
    if ((!firstText.empty() && !first) || (!lastText.empty() && !last) || (!first && !last) ||
        (first && last && *last < *first))
        return std::nullopt;
    return std::make_pair(first, last);
}

// A Range header against a file of `size` bytes.
RangeKind ParseRange(const std::string& header, int64_t size, ByteSpan& span) {
    static const std::string kUnit = "bytes=";
    if (header.compare(0, kUnit.size(), kUnit) != 0)
        return RangeKind::Unsatisfiable;
    std::vector<std::pair<std::optional<int64_t>, std::optional<int64_t>>> parts;
    const std::string ranges = header.substr(kUnit.size());
    for (size_t start = 0; start <= ranges.size();) {
        const size_t comma = std::min(ranges.find(',', start), ranges.size());
        const auto part = ParseOneRange(ranges.substr(start, comma - start));
        if (!part)
            return RangeKind::Unsatisfiable;
        parts.push_back(*part);
        start = comma + 1;
    }
    if (parts.size() > 1)
        return RangeKind::Whole;
    const auto [first, last] = parts.front();
    if (!first) {
        if (*last == 0 || size == 0)
            return RangeKind::Unsatisfiable;
        span.length = std::min(*last, size);
        span.first = size - span.length;
        return RangeKind::Span;
    }
    if (*first >= size)
        return RangeKind::Unsatisfiable;
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

bool SendFile(const HttpRequest& req, HttpResponse& res, const std::filesystem::path& path,
              const std::string& contentType, int64_t dropAfter) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    const int64_t size = info.st_size;

    const std::string tag = EntityTag(info);
    res.SetHeader("ETag", tag);
    res.SetHeader("Accept-Ranges", "bytes");
    // A range of another version than the client holds would splice two files: send this one whole.
    const bool sameVersion = !req.HasHeader("If-Range") || req.Header("If-Range") == tag;
    ByteSpan span{0, size};
    const RangeKind kind = req.HasHeader("Range") && sameVersion ? ParseRange(req.Header("Range"), size, span)
                                                                 : RangeKind::Whole;
    if (kind == RangeKind::Unsatisfiable) {
        close(fd);
        res.status = 416;
        res.SetHeader("Content-Range", "bytes */" + std::to_string(size));
        return true;
    }
    if (kind == RangeKind::Span) {
        res.status = 206;
        res.SetHeader("Content-Range", "bytes " + std::to_string(span.first) + "-" +
                                           std::to_string(span.first + span.length - 1) + "/" +
                                           std::to_string(size));
    } else {
        span = {0, size};
    }
    posix_fadvise(fd, span.first, span.length, POSIX_FADV_SEQUENTIAL);
    res.SetFile(fd, span.first, span.length, contentType, dropAfter);
    return true;
}

}  // namespace nimbra::service
