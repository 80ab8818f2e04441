#include "ToneEditorService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include "digest/EditorCredential.h"
#include "platform/CodePage.h"

ToneEditorService::ToneEditorService(EditorWindow& window, QObject* parent)
    : QObject(parent), m_window(window), m_check(this) {}

int ToneEditorService::Login(const QString& account, const QString& credential) {
    // The client keyed the credential with the account's bytes in its own code page.
    const std::optional<std::string> opened =
        OpenEditorCredential(FromQString(account), credential.toLatin1().toStdString());
    const std::optional<SignOnTicket> ticket =
        opened
            ? SignOnTicket::Parse(QString::fromLatin1(opened->data(), static_cast<qsizetype>(opened->size())))
            : std::nullopt;
    if (!ticket) {
        return -1;
    }
    if (!calledFromDBus()) {
        return -1;
    }
    setDelayedReply(true);
    m_check.Check(*ticket, [this, account, call = message(), bus = connection()](bool accepted) {
        if (accepted) {
            m_account = account;
            m_window.ShowAccount(account);
        }
        bus.send(call.createReply(accepted ? 0 : -1));
    });
    return 0;
}

void ToneEditorService::Open(const QString& path) {
    if (!path.isEmpty()) {
        m_currentFile = path;
        m_window.ShowFile(path);
    }
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

void ToneEditorService::Quit() {
    // After the answer has left.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}
