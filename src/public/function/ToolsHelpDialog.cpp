// The helpers of CToolsHelp that work on windows.
#include <QMetaObject>
#include <QVariant>
#include <QWidget>

#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/Services.h"
#include "platform/Shell.h"

namespace {

// The control, or null after logging the missing one under its handle name.
QWidget* DialogControl(HWND dialog, int controlId, const char* operation) {
    QWidget* control = GetDlgItem(dialog, controlId);
    if (!control) {
        LOG_NULL(operation, "hWnd");
    }
    return control;
}

}  // namespace

void CToolsHelp::SetDlgItemTextA(HWND dialog, int controlId, const char* key, const char* section) {
    QWidget* control = DialogControl(dialog, controlId, "CToolsHelp::SetDlgItemTextA");
    if (!control) {
        return;
    }
    const QString text = ToQString(GetString(key, section));
    // Labels, buttons and edits carry "text"; group boxes carry "title".
    const char* property = control->metaObject()->indexOfProperty("text") >= 0 ? "text" : "title";
    control->setProperty(property, text);
}

void CToolsHelp::SetWindowTextA(HWND window, const char* key, const char* section) {
    if (!window) {
        LOG_NULL("CToolsHelp::SetWindowTextA", "hWnd");
        return;
    }
    window->setWindowTitle(ToQString(GetString(key, section)));
}

void CToolsHelp::ShowDlgItem(HWND dialog, int controlId, int showCommand) {
    if (QWidget* control = DialogControl(dialog, controlId, "CToolsHelp::ShowDlgItem")) {
        control->setVisible(showCommand != SW_HIDE);
    }
}

void CToolsHelp::EnableDlgItem(HWND dialog, int controlId, bool enable) {
    if (QWidget* control = DialogControl(dialog, controlId, "CToolsHelp::EnableDlgItem")) {
        control->setEnabled(enable);
    }
}

int CToolsHelp::OpenFile(const std::string& path) {
    if (path.empty()) {
        return -1;
    }
    // The shell falls back to the desktop's "open with" chooser when no program is associated.
    return Services::GetShell().OpenFile(path) ? 0 : -1;
}
