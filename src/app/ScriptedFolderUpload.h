#pragma once
// The folder part of `nimbra --script`: a small generated tree is dropped on the network-disk page, as a
// user drops a folder, and the service is watched until it holds the tree as catalogs with the same files.

#include <QDir>
#include <QString>
#include <functional>
#include <map>
#include <string>

#include "HostSession.h"
#include "NetDiskPage.h"

namespace nimbra::app {

class ScriptedFolderUpload final {
public:
    using Say = std::function<void(const QString&)>;
    ScriptedFolderUpload(HostSession& session, NetDiskPage& page, Say say);

    // Makes the tree in work, drops it into the catalog the page shows (catalogId) and waits for it on the
    // service; false with error set when anything is missing or differs.
    bool Run(const QDir& work, const std::string& catalogId, int timeoutSeconds, QString& error);

private:
    struct LocalFile {
        qint64 size = 0;
        QByteArray sha1;  // hex
    };

    bool MakeTree(const QDir& work, QString& error);
    // True once every catalog and file of the tree is on the service; error names what differs.
    bool Arrived(const std::string& catalogId, bool report, QString& error);

    HostSession& m_session;
    NetDiskPage& m_page;
    Say m_say;
    QString m_root;                                          // local path of the tree
    std::map<QString, std::map<QString, LocalFile>> m_tree;  // folder below the root ("" the root) -> files
};

}  // namespace nimbra::app
