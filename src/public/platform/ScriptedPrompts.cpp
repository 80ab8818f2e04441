#include "platform/ScriptedPrompts.h"

int ScriptedPrompts::MessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                                unsigned type) {
    m_calls.push_back({Kind::MessageBox, owner, text, caption, type, {}, {}});
    return Next(m_results, DismissResult(type));
}

std::vector<std::string> ScriptedPrompts::OpenFiles(QWidget* owner, const FileDialogOptions& options) {
    m_calls.push_back({Kind::OpenFiles, owner, options.title, {}, 0, options, {}});
    return Next(m_openFiles, std::vector<std::string>());
}

std::string ScriptedPrompts::SaveFile(QWidget* owner, const FileDialogOptions& options) {
    m_calls.push_back({Kind::SaveFile, owner, options.title, {}, 0, options, {}});
    return Next(m_saveFiles, std::string());
}

std::string ScriptedPrompts::BrowseFolder(QWidget* owner, const std::string& title,
                                          const std::function<std::string()>& initialFolder) {
    m_calls.push_back(
        {Kind::BrowseFolder, owner, title, {}, 0, {}, initialFolder ? initialFolder() : std::string()});
    return Next(m_folders, std::string());
}
