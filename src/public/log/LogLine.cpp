#include "log/LogLine.h"

#include <sys/time.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// The date and time text of one second, kept per thread: most entries of a second share it, and
// localtime_r is far dearer than the rest of the entry.
struct SecondText {
    time_t second = -1;
    char text[48] = {};
    size_t length = 0;
};

thread_local SecondText t_secondText;

}  // namespace

void CLogLine::AppendTimeStamp() {
    timeval now{};
    gettimeofday(&now, nullptr);
    SecondText& cached = t_secondText;
    if (cached.second != now.tv_sec) {
        tm local{};
        localtime_r(&now.tv_sec, &local);
        const int length = std::snprintf(cached.text, sizeof cached.text, "%04d-%02d-%02d %02d:%02d:%02d.",
                                         local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                         local.tm_min, local.tm_sec);
        cached.length = length > 0 ? static_cast<size_t>(length) : 0;
        cached.second = now.tv_sec;
    }
    Append({cached.text, cached.length});
    const int millisecond = static_cast<int>(now.tv_usec / 1000);
    const char tail[] = {static_cast<char>('0' + millisecond / 100),
                         static_cast<char>('0' + millisecond / 10 % 10),
                         static_cast<char>('0' + millisecond % 10), ' '};
    Append({tail, sizeof tail});
}

void CLogLine::AppendSourceStamp(const char* file, int line) {
    if (!file) {
        return;
    }
    // The file name part: a plain backward scan, several times cheaper than find_last_of.
    const char* end = file + std::strlen(file);
    const char* name = end;
    while (name != file && name[-1] != '/' && name[-1] != '\\') {
        --name;
    }
    Append("[");
    Append({name, static_cast<size_t>(end - name)});
    Append(":");
    AppendDecimal(line);
    Append("] ");
}

void CLogLine::AppendFormatted(const char* format, va_list args) {
    if (IsPlainFormat(format)) {
        AppendPlain(format, args);
        return;
    }
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(m_data + m_size, m_capacity - m_size, format, args);
    if (length > 0) {
        const size_t needed = static_cast<size_t>(length);
        if (needed >= m_capacity - m_size) {
            // Longer than the room left: grow once and format again.
            Reserve(needed);
            std::vsnprintf(m_data + m_size, m_capacity - m_size, format, again);
        }
        m_size += needed;
    }
    va_end(again);
}

bool CLogLine::IsPlainFormat(const char* format) {
    for (const char* percent = std::strchr(format, '%'); percent; percent = std::strchr(percent + 2, '%')) {
        if (percent[1] != 's' && percent[1] != 'd' && percent[1] != '%') {
            return false;
        }
    }
    return true;
}

void CLogLine::AppendPlain(const char* format, va_list args) {
    const char* text = format;
    for (const char* percent = std::strchr(text, '%'); percent; percent = std::strchr(text, '%')) {
        Append({text, static_cast<size_t>(percent - text)});
        switch (percent[1]) {
            case 's': {
                const char* value = va_arg(args, const char*);
                // As the C library prints it.
                Append(value ? value : "(null)");
                break;
            }
            case 'd':
                AppendDecimal(va_arg(args, int));
                break;
            default:
                Append("%");
                break;
        }
        text = percent + 2;
    }
    Append(text);
}

void CLogLine::AppendDecimal(int value) {
    // Digits by hand: std::to_chars would give the module a unique symbol, which keeps it from unloading.
    char digits[16];
    char* first = digits + sizeof digits;
    const bool negative = value < 0;
    unsigned magnitude = negative ? 0U - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) {
        *--first = '-';
    }
    Append({first, static_cast<size_t>(digits + sizeof digits - first)});
}

void CLogLine::Append(std::string_view text) {
    Reserve(text.size());
    std::memcpy(m_data + m_size, text.data(), text.size());
    m_size += text.size();
}

void CLogLine::Reserve(size_t extra) {
    if (m_size + extra < m_capacity) {
        return;
    }
    const size_t capacity = (m_size + extra + 1) * 2;
    auto grown = std::make_unique<char[]>(capacity);
    std::memcpy(grown.get(), m_data, m_size);
    m_heap = std::move(grown);
    m_data = m_heap.get();
    m_capacity = capacity;
}
