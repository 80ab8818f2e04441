#include "platform/QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "platform/CodePage.h"

namespace {

QMessageBox::Icon IconOf(unsigned type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

struct ButtonCode {
    QMessageBox::StandardButton button;
    int result;
};

std::vector<ButtonCode> ButtonsOf(unsigned type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        case MB_YESNOCANCEL:
            return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        case MB_YESNO:
            return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        default:
            return {{QMessageBox::Ok, IDOK}};
    }
}

std::string FromPath(const QString& path) {
    return FromQString(path);
}

}  // namespace

int QtPrompts::MessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                          unsigned type) {
    QMessageBox box(IconOf(type), ToQString(caption), ToQString(text), QMessageBox::NoButton, owner);
    const std::vector<ButtonCode> buttons = ButtonsOf(type);
    for (const ButtonCode& b : buttons) {
        box.addButton(b.button);
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonCode& b : buttons) {
        if (b.button == clicked) {
            return b.result;
        }
    }
    return DismissResult(type);
}

std::vector<std::string> QtPrompts::OpenFiles(QWidget* owner, const FileDialogOptions& options) {
    const QStringList chosen = QFileDialog::getOpenFileNames(
        owner, ToQString(options.title), ToQString(options.initialDir), QtFilter(options.filter));
    std::vector<std::string> files;
    for (const QString& path : chosen) {
        files.push_back(FromPath(path));
    }
    return files;
}

std::string QtPrompts::SaveFile(QWidget* owner, const FileDialogOptions& options) {
    QString start = ToQString(options.initialDir);
    if (!options.fileName.empty()) {
        start = start.isEmpty() ? ToQString(options.fileName) : start + '/' + ToQString(options.fileName);
    }
    return FromPath(
        QFileDialog::getSaveFileName(owner, ToQString(options.title), start, QtFilter(options.filter)));
}

std::string QtPrompts::BrowseFolder(QWidget* owner, const std::string& title,
                                    const std::function<std::string()>& initialFolder) {
    QFileDialog dialog(owner, ToQString(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (initialFolder) {
        dialog.setDirectory(ToQString(initialFolder()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return FromPath(dialog.selectedFiles().front());
}

QString QtPrompts::QtFilter(const std::string& filter) {
    const QStringList parts = ToQString(filter).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        QString name = parts[i];
        const qsizetype bracket = name.indexOf('(');
        if (bracket >= 0) {
            name = name.left(bracket).trimmed();
        }
        filters << name + QStringLiteral(" (") + patterns.join(' ') + ')';
    }
    return filters.join(QStringLiteral(";;"));
}
