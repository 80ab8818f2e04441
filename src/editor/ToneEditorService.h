#pragma once
// The editor's object on the session bus (the names and calls are in platform/ToneEditorBus.h): a login
// with the client's sealed credential, checked with the network-disk service, and the file to show.

#include <QDBusContext>
#include <QObject>
#include <QString>

#include "EditorWindow.h"
#include "SignOnCheck.h"

class ToneEditorService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.nimbra.ToneEditor")
    Q_PROPERTY(QString Account READ Account)
    Q_PROPERTY(QString CurrentFile READ CurrentFile)
public:
    explicit ToneEditorService(EditorWindow& window, QObject* parent = nullptr);

    QString Account() const { return m_account; }
    QString CurrentFile() const { return m_currentFile; }

public slots:
    // 0 once the service has accepted the token sealed in the credential, -1 otherwise. The answer waits
    // for the service, so that the caller learns the outcome of the check.
    int Login(const QString& account, const QString& credential);
    void Open(const QString& path);
    void Quit();

private:
    EditorWindow& m_window;
    SignOnCheck m_check;
    QString m_account;
    QString m_currentFile;
};
