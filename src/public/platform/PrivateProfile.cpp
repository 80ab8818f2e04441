#include "platform/PrivateProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>

#include "platform/CodePage.h"
#include "platform/ProfileText.h"

namespace {

// Reads and rewrites of profile files are serialised within the process.
std::mutex& FileMutex() {
    static std::mutex mutex;
    return mutex;
}

// The file's bytes; an empty text for a missing file; none when the file exists but cannot be read,
// so that a write never replaces a file it could not read.
std::optional<std::string> ReadFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            close(fd);
            return n == 0 ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// A fresh sibling file, created with the process's default permissions.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Writes a sibling temporary file and renames it over the target, keeping the target's permissions.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
    std::string temp;
    const int fd = CreateTemporary(path, temp);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool written = stat(path.c_str(), &st) != 0 || fchmod(fd, st.st_mode & 07777) == 0;
    written = written && WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

std::string TrimTrailingBlanks(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

// Digits of the given base from text[i], wrapping like an unsigned 32-bit value.
uint32_t ParseDigits(const std::string& text, size_t i, unsigned base) {
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            break;
        }
        if (digit >= base) {
            break;
        }
        value = value * base + digit;
    }
    return value;
}

int ParseProfileInt(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        switch (text[i + 1]) {
            case 'x':
            case 'X':
                base = 16;
                break;
            case 'o':
            case 'O':
                base = 8;
                break;
            case 'b':
            case 'B':
                base = 2;
                break;
            default:
                break;
        }
        if (base != 10) {
            i += 2;
        }
    }
    const uint32_t magnitude = ParseDigits(text, i, base);
    return static_cast<int>(negative ? 0u - magnitude : magnitude);
}

}  // namespace

std::string GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                    const char* fileName) {
    std::string fallback = TrimTrailingBlanks(defaultValue ? defaultValue : "");
    if (!section || !key || !fileName) {
        return fallback;
    }
    std::optional<std::string> bytes;
    {
        std::lock_guard lock(FileMutex());
        bytes = ReadFile(Gb18030ToUtf8(fileName));
    }
    if (!bytes) {
        return fallback;
    }
    return ProfileText(*bytes).Value(section, key).value_or(std::move(fallback));
}

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* fileName) {
    const std::string text = GetPrivateProfileString(section, key, "", fileName);
    return text.empty() ? defaultValue : ParseProfileInt(text);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName) {
    if (!section || !fileName) {
        return false;
    }
    const std::string path = Gb18030ToUtf8(fileName);
    std::lock_guard lock(FileMutex());
    const std::optional<std::string> bytes = ReadFile(path);
    if (!bytes) {
        return false;
    }
    ProfileText text(*bytes);
    if (!key) {
        return !text.RemoveSection(section) || ReplaceFile(path, text.Bytes());
    }
    if (!value) {
        return !text.RemoveKey(section, key) || ReplaceFile(path, text.Bytes());
    }
    return text.SetValue(section, key, value) && ReplaceFile(path, text.Bytes());
}
