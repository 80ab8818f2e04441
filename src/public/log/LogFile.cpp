#include "log/LogFile.h"

#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/CodePage.h"
#include "platform/ProgramDir.h"

const char* g_pszLogSourceFile = nullptr;
int g_nLogSourceLine = 0;

namespace {

// Where relative log names go: NIMBRA_LOG_DIR when set (tests and CI), else the program directory.
std::string LogDirectory() {
    const char* overridden = std::getenv("NIMBRA_LOG_DIR");
    if (overridden && *overridden) {
        std::string dir = overridden;
        if (dir.back() != '/') {
            dir += '/';
        }
        return dir;
    }
    return ProgramDirUtf8();
}

std::string ResolvePath(const char* fileName) {
    const std::string name = Gb18030ToUtf8(fileName ? fileName : "");
    return !name.empty() && name.front() == '/' ? name : LogDirectory() + name;
}

std::string TimeStamp() {
    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(now.tv_usec / 1000));
    return text;
}

std::string SourceStamp() {
    const char* file = g_pszLogSourceFile;
    if (!file) {
        return {};
    }
    const std::string_view path(file);
    const size_t slash = path.find_last_of("/\\");
    const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return "[" + std::string(base) + ":" + std::to_string(g_nLogSourceLine) + "] ";
}

std::string Format(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace

struct CLogFile::Impl {
    FILE* file = nullptr;
    bool openFailed = false;
};

CLogFile::CLogFile(const char* fileName, int option1, int option2)
    : m_path(ResolvePath(fileName)), m_option1(option1), m_option2(option2), m_impl(new Impl) {}

CLogFile::~CLogFile() {
    if (m_impl->file) {
        std::fclose(m_impl->file);
    }
    delete m_impl;
}

void CLogFile::WriteLogInfo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLogInfoV(format, args);
    va_end(args);
}

void CLogFile::WriteLogInfoV(const char* format, va_list args) {
    if (!format) {
        return;
    }
    std::string entry = m_option1 ? TimeStamp() : std::string();
    entry += SourceStamp();
    entry += Format(format, args);
    entry += '\n';

    std::lock_guard lock(m_mutex);
    // Opened on the first entry; a log that cannot be opened drops its entries rather than failing
    // the operation that logs.
    if (!m_impl->file && !m_impl->openFailed) {
        m_impl->file = std::fopen(m_path.c_str(), "abe");
        m_impl->openFailed = m_impl->file == nullptr;
    }
    if (!m_impl->file) {
        return;
    }
    std::fwrite(entry.data(), 1, entry.size(), m_impl->file);
    if (m_option2) {
        std::fflush(m_impl->file);
    }
}

CLogFile& ModuleLog() {
    // Never destroyed: objects torn down at unload still log from their destructors.
    static CLogFile* log = new CLogFile("Nimbra.txt", 1, 1);
    return *log;
}
