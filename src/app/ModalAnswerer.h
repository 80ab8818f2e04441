#pragma once
// Keeps the scripted run from waiting for a person: it answers the component's file dialogs (the save
// dialog, the folder browser) the way a user would (types the path, confirms) once one is expected, and
// closes every other window that would block the run, remembering its title so the run can report it.

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace nimbra::app {

class ModalAnswerer final : public QObject {
    Q_OBJECT
public:
    ModalAnswerer();

    // The next file dialog (save or folder) is answered with this path.
    void ExpectFileDialog(const QString& path);
    // Whether the expected file dialog was answered.
    bool Answered() const { return m_answered; }
    // From now on message boxes that offer the button are answered with it (NoButton: closed as unexpected).
    void AnswerMessageBoxes(QMessageBox::StandardButton button) { m_boxAnswer = button; }
    // The texts of the message boxes answered so far.
    const QStringList& AnsweredBoxes() const { return m_answeredBoxes; }
    // Titles of the windows that were closed because nobody expected them.
    const QStringList& Unexpected() const { return m_unexpected; }

private:
    void Look();

    QString m_path;
    QTimer m_timer;
    bool m_answered = false;
    QStringList m_unexpected;
    QMessageBox::StandardButton m_boxAnswer = QMessageBox::NoButton;
    QStringList m_answeredBoxes;
};

}  // namespace nimbra::app
