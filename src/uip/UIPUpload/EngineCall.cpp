#include "uip/UIPUpload/EngineCall.h"

#include "log/LogFile.h"

namespace {

// Stamps the entry with the adapter's own source position rather than this helper's.
CLogFile& LogAt(const std::source_location& where) {
    g_pszLogSourceFile = where.file_name();
    g_nLogSourceLine = static_cast<int>(where.line());
    return ModuleLog();
}

}  // namespace

void CEngineCall::LogFailedResult(const char* variable, std::source_location where) {
    LogAt(where).WriteLogInfo("%s, Info = %s为空, 错误", m_operation, variable);
}

void CEngineCall::LogBefore(const char* statement, const std::source_location& where) {
    LogAt(where).WriteLogInfo("组件接口日志调用前: %s, %s", m_operation, statement);
}

void CEngineCall::LogAfter(const char* statement, const std::source_location& where) {
    LogAt(where).WriteLogInfo("组件接口日志调用后: %s, %s", m_operation, statement);
}

void CEngineCall::LogComError(const ComError& error, const std::source_location& where) {
    LogAt(where).WriteLogInfo("%s, 异常描述：%s 错误ID = %x", m_operation, error.ErrorMessage().c_str(),
                              static_cast<unsigned>(error.Error()));
}

void CEngineCall::LogException(const std::source_location& where) {
    LogAt(where).WriteLogInfo("%s, info = %s", m_operation, "组件产生异常");
}
