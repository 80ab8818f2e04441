#pragma once
// The outside ring-tone editor as the new-file download reaches it: an object of another program, found
// on the session bus and started there when it is not running. Texts are GB18030.

#include <functional>
#include <memory>
#include <string>

class IToneEditor {
public:
    virtual ~IToneEditor() = default;
    // The editor's answer: -1 when it refuses the credential or cannot be asked.
    virtual long Login(const std::string& account, const std::string& credential) = 0;
    virtual void Open(const std::string& path) = 0;
};

using ToneEditorFactory = std::function<std::unique_ptr<IToneEditor>()>;

// The editor, started when needed; null when it cannot be reached (no session bus, not installed, or it
// did not come up).
std::unique_ptr<IToneEditor> CreateToneEditor();
// Puts another way of reaching the editor in place (tests); an empty factory restores the session bus.
void SetToneEditorFactory(ToneEditorFactory factory);
