#pragma once
// Message boxes and file dialogs, with the original button and icon codes and results. The component
// asks through the process-wide service (Services) so that tests can answer in its place.

#include <functional>
#include <string>
#include <vector>

class QWidget;

// Buttons (low four bits) and icons (next four bits) of a message box.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_YESNOCANCEL = 0x03;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_TYPEMASK = 0x0F;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;

// The button that closed a message box.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// What a file dialog starts with. Texts are GB18030; the filter is in the original form
// "Pictures (*.jpg;*.png)|*.jpg;*.png|All files (*.*)|*.*||".
struct FileDialogOptions {
    std::string title;
    std::string initialDir;
    std::string fileName;
    std::string filter;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // Returns IDOK, IDCANCEL, IDYES or IDNO; closing the box counts as its cancel (or no) button.
    virtual int MessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                           unsigned type) = 0;
    // The chosen files (several may be chosen); empty when cancelled.
    virtual std::vector<std::string> OpenFiles(QWidget* owner, const FileDialogOptions& options) = 0;
    // The chosen file name; empty when cancelled.
    virtual std::string SaveFile(QWidget* owner, const FileDialogOptions& options) = 0;
    // The chosen folder; empty when cancelled. initialFolder is asked once the browser is up, as the
    // original browser's initialisation callback was, and gives the folder to select first.
    virtual std::string BrowseFolder(QWidget* owner, const std::string& title,
                                     const std::function<std::string()>& initialFolder) = 0;
};

// The button that answers a box of the given type when it is dismissed without a choice.
int DismissResult(unsigned type);
