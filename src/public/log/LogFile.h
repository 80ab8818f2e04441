#pragma once
// The component's log: one process-wide file, printf-style entries in GB18030, each stamped with the
// module's current source file and line, which the logging macros set right before every call. Entries are
// formatted by the caller and written to the file behind it, in order (CLogWriter).

#include <cstdarg>
#include <memory>
#include <string>

class CLogWriter;

class CLogFile {
public:
    // fileName: relative names are placed in the program directory.
    // option1 non-zero: stamp each entry with date and time. option2 asks for each entry to be flushed to the
    // system; entries are handed to the system batch by batch whatever its value (CLogWriter), so it changes
    // nothing.
    CLogFile(const char* fileName, int option1, int option2);
    // Writes out every entry still waiting.
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Formats and appends one entry; texts of any length are written whole.
    void WriteLogInfo(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteLogInfoV(const char* format, va_list args);
    // Returns once every entry written before the call is in the file.
    void Flush();
    // Writes out every entry still waiting; later entries are written by their callers.
    void Close();

    const std::string& FilePath() const { return m_path; }

private:
    std::string m_path;
    int m_option1;
    std::unique_ptr<CLogWriter> m_writer;
};

// The module-wide stamp: source file and line of the log call in progress, one per thread, so that
// threads that log at the same time do not stamp each other's entries.
extern thread_local const char* g_pszLogSourceFile;
extern thread_local int g_nLogSourceLine;

// The module's logger on "Nimbra.txt", both options 1, created on first use and closed when the module
// unloads or the process exits.
CLogFile& ModuleLog();
