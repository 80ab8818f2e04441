#pragma once
// The fixed log formats every operation of the component uses. A translation unit that uses them is
// compiled with GB18030 narrow literals, so the texts reach the log in the component's code page.

#include "log/LogFile.h"

#define NIMBRA_LOG(...)                             \
    do {                                            \
        g_pszLogSourceFile = __FILE__;              \
        g_nLogSourceLine = __LINE__;                \
        ModuleLog().WriteLogInfo(__VA_ARGS__);      \
    } while (0)

#define LOG_ENTER(name) NIMBRA_LOG("Enter %s", name)
#define LOG_EXIT(name) NIMBRA_LOG("%s %s", "Exit Function", name)
#define LOG_NULL(name, var) NIMBRA_LOG("%s, error = %s为空, 错误", name, var)
#define LOG_INFO(name, text) NIMBRA_LOG("%s, Info = %s", name, text)
#define LOG_FAILED(name, var) NIMBRA_LOG("%s, Info = %s返回失败, 错误", name, var)
#define LOG_ERROR(name, text) NIMBRA_LOG("%s, Error = %s", name, text)

// Logs "Enter" now and "Exit Function" when the scope ends, whichever way it ends.
class LogFunctionScope {
public:
    LogFunctionScope(const char* name, const char* file, int line) : m_name(name), m_file(file) {
        g_pszLogSourceFile = file;
        g_nLogSourceLine = line;
        ModuleLog().WriteLogInfo("Enter %s", name);
    }
    ~LogFunctionScope() {
        g_pszLogSourceFile = m_file;
        ModuleLog().WriteLogInfo("%s %s", "Exit Function", m_name);
    }
    LogFunctionScope(const LogFunctionScope&) = delete;
    LogFunctionScope& operator=(const LogFunctionScope&) = delete;
    const char* Name() const { return m_name; }

private:
    const char* m_name;
    const char* m_file;
};

#define LOG_FUNCTION(name) LogFunctionScope logFunctionScope_(name, __FILE__, __LINE__)
