#pragma once
// Shell for tests: records every file asked for and answers as told (opened by default).

#include <vector>

#include "platform/Shell.h"

class ScriptedShell final : public Shell {
public:
    void SetResult(bool opened) { m_result = opened; }
    const std::vector<std::string>& Opened() const { return m_opened; }

    bool OpenFile(const std::string& path) override {
        m_opened.push_back(path);
        return m_result;
    }

private:
    bool m_result = true;
    std::vector<std::string> m_opened;
};
