#pragma once
// `nimbra --script`: a round trip without a person. Signs in, hands generated files and a picture to the
// upload component, waits until the service holds them, drops a generated folder tree on the page and checks
// it arrives as catalogs, fetches one file back and compares the bytes.
// Prints a line per transfer and a summary; the exit code is 0 only when every check passed.

#include <QDir>
#include <QString>
#include <QTextStream>
#include <string>
#include <vector>

#include "EmbeddedService.h"
#include "HostSession.h"
#include "MainWindow.h"
#include "ModalAnswerer.h"

namespace nimbra::app {

struct ScriptOptions {
    QString serviceUrl;  // empty: start an own nimbra-diskd with a temporary data folder
    QString account;
    QString password;
    int timeoutSeconds = 120;
};

class ScriptedRun final {
public:
    ScriptedRun(HostSession& session, MainWindow& window, QTextStream& out);
    int Run(const ScriptOptions& options);

private:
    struct LocalFile {
        QString path;
        QString name;
        qint64 size = 0;
        QByteArray sha1;  // hex
        bool picture = false;
    };

    bool SignIn(const ScriptOptions& options, const QString& dataDir);
    bool MakeFiles(const QDir& folder);
    bool CreateTargetCatalog();
    bool Upload();
    bool UploadThroughStartUpload();
    bool WaitForUploads();
    // A generated folder tree dropped on the page, checked on the service catalog by catalog.
    bool UploadFolder(const QDir& folder);
    bool WaitForDownload(const QString& path);
    bool DownloadOne();
    bool CheckThumbnail();
    bool Fail(const QString& what);
    void Say(const QString& line);

    HostSession& m_session;
    MainWindow& m_window;
    QTextStream& m_out;
    EmbeddedService m_service;
    ModalAnswerer m_answerer;  // for the whole run: no window may wait for a person
    std::vector<LocalFile> m_files;
    std::vector<DiskFile> m_uploaded;
    std::string m_catalogId;
    QString m_catalogName;
    QString m_ownAccount;
    QDir m_downloadDir;
    int m_timeoutSeconds = 0;
    bool m_throughDialog = false;  // the files went through the upload dialog
    int m_failures = 0;
};

}  // namespace nimbra::app
