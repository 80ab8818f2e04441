#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>

namespace nimbra::app {

namespace {

constexpr int kLookMs = 50;

}  // namespace

ModalAnswerer::ModalAnswerer() {
    // The timer also fires inside a dialog's own event loop, while the component waits for the answer.
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::Look);
    m_timer.start(kLookMs);
}

void ModalAnswerer::ExpectFileDialog(const QString& path) {
    m_path = path;
    m_answered = false;
}

void ModalAnswerer::Look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    auto* files = qobject_cast<QFileDialog*>(modal);
    if (files && !m_path.isEmpty()) {
        // Typed into the name field, as a user would; the dialog takes an absolute path there.
        if (auto* name = files->findChild<QLineEdit*>("fileNameEdit"))
            name->setText(m_path);
        else
            files->selectFile(m_path);
        static_cast<QDialog*>(files)->accept();
        m_path.clear();
        m_answered = true;
        return;
    }
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (QAbstractButton* answer =
            box && m_boxAnswer != QMessageBox::NoButton ? box->button(m_boxAnswer) : nullptr) {
        m_answeredBoxes << box->text();
        answer->click();
        return;
    }
    m_unexpected << modal->windowTitle();
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

}  // namespace nimbra::app
