#pragma once
// One log entry while it is put together: time stamp, source stamp and the formatted text, built in a buffer
// on the caller's stack; only entries longer than that buffer take memory from the heap.

#include <cstdarg>
#include <cstddef>
#include <memory>
#include <string_view>

class CLogLine {
public:
    CLogLine() = default;
    CLogLine(const CLogLine&) = delete;
    CLogLine& operator=(const CLogLine&) = delete;

    // "YYYY-MM-DD HH:MM:SS.mmm " of now in local time.
    void AppendTimeStamp();
    // "[<file name without its folders>:<line>] "; nothing when there is no file.
    void AppendSourceStamp(const char* file, int line);
    // printf-style text; nothing for a format the C library refuses. Formats whose only conversions are
    // plain %s, %d and %% (all of the component's own) are expanded here, with the C library's output,
    // at a fraction of its cost; any other goes through vsnprintf.
    void AppendFormatted(const char* format, va_list args);
    void Append(std::string_view text);

    std::string_view Text() const { return {m_data, m_size}; }

private:
    static bool IsPlainFormat(const char* format);
    void AppendPlain(const char* format, va_list args);
    void AppendDecimal(int value);
    // Room for at least `extra` more characters and the terminating NUL that vsnprintf writes.
    void Reserve(size_t extra);

    char m_inline[1024];
    std::unique_ptr<char[]> m_heap;
    char* m_data = m_inline;
    size_t m_size = 0;
    size_t m_capacity = sizeof m_inline;
};
