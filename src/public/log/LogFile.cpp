#include "log/LogFile.h"

#include <cstdlib>

#include "log/LogLine.h"
#include "log/LogWriter.h"
#include "platform/CodePage.h"
#include "platform/ProgramDir.h"

thread_local const char* g_pszLogSourceFile = nullptr;
thread_local int g_nLogSourceLine = 0;

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

// Closes the module log when the module unloads or the process exits. The log itself stays: objects torn
// down after this still log from their destructors, and their entries are then written directly.
class ModuleLogCloser {
public:
    explicit ModuleLogCloser(CLogFile& log) : m_log(log) {}
    ~ModuleLogCloser() { m_log.Close(); }
    ModuleLogCloser(const ModuleLogCloser&) = delete;
    ModuleLogCloser& operator=(const ModuleLogCloser&) = delete;

private:
    CLogFile& m_log;
};

}  // namespace

CLogFile::CLogFile(const char* fileName, int option1, int /*option2*/)
    : m_path(ResolvePath(fileName)), m_option1(option1), m_writer(std::make_unique<CLogWriter>(m_path)) {}

CLogFile::~CLogFile() = default;

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
    CLogLine entry;
    if (m_option1) {
        entry.AppendTimeStamp();
    }
    entry.AppendSourceStamp(g_pszLogSourceFile, g_nLogSourceLine);
    entry.AppendFormatted(format, args);
    entry.Append("\n");
    m_writer->Append(entry.Text());
}

void CLogFile::Flush() {
    m_writer->Flush();
}

void CLogFile::Close() {
    m_writer->Stop();
}

CLogFile& ModuleLog() {
    // Never destroyed: objects torn down at unload still log from their destructors.
    static CLogFile* log = new CLogFile("Nimbra.txt", 1, 1);
    static const ModuleLogCloser closer(*log);
    return *log;
}
