#pragma once
// Runs the engine calls of one adapter operation inside the handlers every engine call needs: each call is
// logged before and after with its statement, and an error it throws (a COM error or anything else) is
// logged and reported as failure. Nothing done before the failure is undone.

#include <source_location>
#include <utility>

#include "platform/ComBase.h"

class CEngineCall {
public:
    explicit CEngineCall(const char* operation) : m_operation(operation) {}

    // True when the call returned, false (logged) when it threw.
    template <class Call>
    bool Run(const char* statement, Call&& call,
             std::source_location where = std::source_location::current()) {
        LogBefore(statement, where);
        try {
            std::forward<Call>(call)();
        } catch (const ComError& error) {
            LogComError(error, where);
            return false;
        } catch (...) {
            LogException(where);
            return false;
        }
        LogAfter(statement, where);
        return true;
    }

    const char* Operation() const { return m_operation; }

    // Logs a failing HRESULT by the name of the variable that holds it ("hResult", "hRet").
    void LogFailedResult(const char* variable, std::source_location where = std::source_location::current());

private:
    void LogBefore(const char* statement, const std::source_location& where);
    void LogAfter(const char* statement, const std::source_location& where);
    void LogComError(const ComError& error, const std::source_location& where);
    void LogException(const std::source_location& where);

    const char* m_operation;
};
