#pragma once
// Answers the component's save dialog in the scripted run the way a user would: it types the path into
// the file dialog and presses Save. Any other window that blocks the run is closed and reported.

#include <QObject>
#include <QString>
#include <QTimer>

namespace nimbra::app {

class SaveDialogAnswerer final : public QObject {
    Q_OBJECT
public:
    explicit SaveDialogAnswerer(QString path);

    bool Answered() const { return m_answered; }
    // The title of a window that was not a file dialog, empty when none came.
    const QString& Unexpected() const { return m_unexpected; }

private:
    void Look();

    QString m_path;
    QTimer m_timer;
    bool m_answered = false;
    QString m_unexpected;
};

}  // namespace nimbra::app
