#pragma once
// Prompts for tests: answers come from queues filled beforehand, and every question is recorded. An
// unexpected question (empty queue) is answered as if dismissed: cancel, no, nothing chosen.

#include <deque>

#include "platform/Prompts.h"

class ScriptedPrompts final : public Prompts {
public:
    enum class Kind { MessageBox, OpenFiles, SaveFile, BrowseFolder };
    struct Call {
        Kind kind;
        QWidget* owner;
        std::string text;     // message text or dialog title
        std::string caption;  // message caption
        unsigned type = 0;    // message box type
        FileDialogOptions options;
        std::string initialFolder;  // what the folder browser's callback gave
    };

    void QueueMessageBoxResult(int result) { m_results.push_back(result); }
    void QueueOpenFiles(std::vector<std::string> files) { m_openFiles.push_back(std::move(files)); }
    void QueueSaveFile(std::string file) { m_saveFiles.push_back(std::move(file)); }
    void QueueFolder(std::string folder) { m_folders.push_back(std::move(folder)); }

    const std::vector<Call>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }

    int MessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                   unsigned type) override;
    std::vector<std::string> OpenFiles(QWidget* owner, const FileDialogOptions& options) override;
    std::string SaveFile(QWidget* owner, const FileDialogOptions& options) override;
    std::string BrowseFolder(QWidget* owner, const std::string& title,
                             const std::function<std::string()>& initialFolder) override;

private:
    template <class T>
    static T Next(std::deque<T>& queue, T dismissed) {
        if (queue.empty()) {
            return dismissed;
        }
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }

    std::deque<int> m_results;
    std::deque<std::vector<std::string>> m_openFiles;
    std::deque<std::string> m_saveFiles;
    std::deque<std::string> m_folders;
    std::vector<Call> m_calls;
};
