#pragma once
// Prompts on Qt's message box and file dialogs.

#include <QString>

#include "platform/Prompts.h"

class QtPrompts final : public Prompts {
public:
    int MessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                   unsigned type) override;
    std::vector<std::string> OpenFiles(QWidget* owner, const FileDialogOptions& options) override;
    std::string SaveFile(QWidget* owner, const FileDialogOptions& options) override;
    std::string BrowseFolder(QWidget* owner, const std::string& title,
                             const std::function<std::string()>& initialFolder) override;

    // "Name|patterns|...||" becomes Qt's "Name (patterns);;..."; "*.*" matches every file.
    static QString QtFilter(const std::string& filter);
};
