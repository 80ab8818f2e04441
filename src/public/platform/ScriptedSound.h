#pragma once
// Sound for tests: records every file asked for and answers as told (played by default).

#include <vector>

#include "platform/Sound.h"

class ScriptedSound final : public Sound {
public:
    void SetResult(bool played) { m_result = played; }
    const std::vector<std::string>& Played() const { return m_played; }

    bool PlayAsync(const std::string& file) override {
        m_played.push_back(file);
        return m_result;
    }

private:
    bool m_result = true;
    std::vector<std::string> m_played;
};
