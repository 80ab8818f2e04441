#pragma once
// The component's log: one process-wide file, printf-style entries in GB18030, each stamped with the
// module's current source file and line, which the logging macros set right before every call.

#include <cstdarg>
#include <mutex>
#include <string>

class CLogFile {
public:
    // fileName: relative names are placed in the program directory.
    // option1 non-zero: stamp each entry with date and time; option2 non-zero: flush after each entry.
    CLogFile(const char* fileName, int option1, int option2);
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Formats and appends one entry; texts of any length are written whole.
    void WriteLogInfo(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteLogInfoV(const char* format, va_list args);

    const std::string& FilePath() const { return m_path; }

private:
    std::string m_path;
    int m_option1;
    int m_option2;
    std::mutex m_mutex;
    struct Impl;
    Impl* m_impl;
};

// The module-wide stamp: source file and line of the log call in progress.
extern const char* g_pszLogSourceFile;
extern int g_nLogSourceLine;

// The module's logger on "Nimbra.txt", both options 1, created on first use.
CLogFile& ModuleLog();
