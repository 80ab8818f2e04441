#include "ScriptedFolderUpload.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace nimbra::app {

namespace {

constexpr int kPollMs = 200;
constexpr const char* kRootName = "相册";

void Pump(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray Content(const QString& name, int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    const QByteArray seed = name.toUtf8();
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed[i % seed.size()] * 31 + i * 7);
    return bytes;
}

}  // namespace

ScriptedFolderUpload::ScriptedFolderUpload(HostSession& session, NetDiskPage& page, Say say)
    : m_session(session), m_page(page), m_say(std::move(say)) {}

bool ScriptedFolderUpload::MakeTree(const QDir& work, QString& error) {
    // Two levels below the root, a folder without files, and names the code page has to carry.
    const std::vector<std::pair<QString, int>> files = {
        {"说明.txt", 3000}, {"data.bin", 100 * 1024 + 1}, {"2024/b.bin", 50 * 1024}, {"2024/夏/c.bin", 10}};
    m_root = work.filePath(kRootName);
    m_tree[""];
    m_tree["空"];
    if (!QDir(m_root).mkpath("空")) {
        error = "cannot create " + m_root;
        return false;
    }
    for (const auto& [relative, size] : files) {
        const QString folder = relative.contains('/') ? relative.section('/', 0, -2) : QString();
        const QString name = relative.section('/', -1);
        QFile file(m_root + "/" + relative);
        const QByteArray bytes = Content(relative, size);
        if (!QDir(m_root).mkpath(folder.isEmpty() ? "." : folder) || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes) != bytes.size()) {
            error = "cannot write " + file.fileName();
            return false;
        }
        m_tree[folder][name] = {bytes.size(),
                                QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()};
    }
    return true;
}

bool ScriptedFolderUpload::Run(const QDir& work, const std::string& catalogId, int timeoutSeconds,
                               QString& error) {
    if (!MakeTree(work, error))
        return false;
    if (m_page.UploadToCurrent({}, {m_root}) == -1) {
        error = "the drop of the folder " + m_root + " was refused";
        return false;
    }
    m_say(QString("folder: dropped %1 (%2 folders) on the page").arg(kRootName).arg(m_tree.size()));
    const QDeadlineTimer deadline{std::chrono::seconds(timeoutSeconds)};
    while (!Arrived(catalogId, false, error)) {
        if (deadline.hasExpired()) {
            error = QString("the folder did not arrive within %1 s: %2").arg(timeoutSeconds).arg(error);
            return false;
        }
        Pump(kPollMs);
    }
    return Arrived(catalogId, true, error);
}

bool ScriptedFolderUpload::Arrived(const std::string& catalogId, bool report, QString& error) {
    std::string failure;
    const auto catalogs = m_session.Disk().Catalogs(failure);
    if (!catalogs) {
        error = QString::fromStdString(failure);
        return false;
    }
    const auto child = [&](const std::string& parent, const QString& name) {
        for (const CatalogNode& node : *catalogs)
            if (node.parentId == parent && QString::fromStdString(node.name) == name)
                return node.id;
        return std::string();
    };
    for (const auto& [folder, files] : m_tree) {
        std::string id = child(catalogId, kRootName);
        for (const QString& part : folder.split('/', Qt::SkipEmptyParts))
            id = id.empty() ? id : child(id, part);
        const QString shown = folder.isEmpty() ? QString(kRootName) : QString(kRootName) + "/" + folder;
        if (id.empty()) {
            error = "no catalog " + shown;
            return false;
        }
        const auto listed = m_session.Disk().Files(id, failure);
        if (!listed || listed->size() != files.size()) {
            error = "catalog " + shown + " does not hold its files yet";
            return false;
        }
        for (const DiskFile& remote : *listed) {
            const auto local = files.find(QString::fromStdString(remote.name));
            const bool same = local != files.end() &&
                              remote.size == static_cast<uint64_t>(local->second.size) &&
                              QByteArray::fromStdString(remote.sha1) == local->second.sha1;
            if (!same && !report) {
                error = "catalog " + shown + " holds " + QString::fromStdString(remote.name) +
                        " not yet complete";
                return false;
            }
            if (report)
                m_say(QString("folder  %1/%2  %3 bytes  %4")
                          .arg(shown, QString::fromStdString(remote.name))
                          .arg(remote.size)
                          .arg(same ? "in its catalog, size and SHA-1 match" : "CONTENT DIFFERS"));
            if (!same) {
                error = "the service holds different bytes for " + shown + "/" +
                        QString::fromStdString(remote.name);
                return false;
            }
        }
    }
    if (report)
        m_say(QString("folder: %1 catalogs on the service, each with its files").arg(m_tree.size()));
    return true;
}

}  // namespace nimbra::app
