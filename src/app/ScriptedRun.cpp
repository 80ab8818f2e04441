#include "ScriptedRun.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "DownloadRequests.h"
#include "ModalAnswerer.h"
#include "ScriptedFolderUpload.h"
#include "platform/CodePage.h"

namespace nimbra::app {

namespace {

constexpr int kPollMs = 200;
constexpr const char* kScriptPassword = "script-pass";

QString SizeText(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes);
}

QByteArray Sha1Hex(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

void Pump(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray RandomBytes(qint64 size) {
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(size));
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

QByteArray PictureBytes() {
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 600);
    sky.setColorAt(0, QColor("#1e5799"));
    sky.setColorAt(1, QColor("#f3c57a"));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor("#ffd34d"));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(560, 380), 90, 90);
    painter.setBrush(QColor("#2d4a22"));
    painter.drawRect(0, 470, 800, 130);
    painter.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return jpeg;
}

}  // namespace

ScriptedRun::ScriptedRun(HostSession& session, MainWindow& window, QTextStream& out)
    : m_session(session), m_window(window), m_out(out) {}

void ScriptedRun::Say(const QString& line) {
    m_out << line << Qt::endl;
}

bool ScriptedRun::Fail(const QString& what) {
    ++m_failures;
    Say("FAILED: " + what);
    return false;
}

int ScriptedRun::Run(const ScriptOptions& options) {
    QTemporaryDir work;
    if (!work.isValid()) {
        Fail("cannot create a temporary folder");
        return 1;
    }
    Say("nimbra --script: scripted round trip");
    if (!m_session.LoadComponent()) {
        Fail(QString("the upload component cannot be used: %1")
                 .arg(QString::fromStdString(m_session.ComponentError())));
        return 1;
    }
    m_timeoutSeconds = options.timeoutSeconds;
    m_downloadDir = QDir(work.filePath("downloads"));
    const bool done = SignIn(options, work.filePath("disk")) && MakeFiles(QDir(work.filePath("files"))) &&
                      m_downloadDir.mkpath(".") && CreateTargetCatalog() && Upload() && WaitForUploads() &&
                      UploadFolder(QDir(work.filePath("folder"))) && DownloadOne();
    // Anything that would have waited for a person is a failure of the run, even if the rest passed.
    for (const QString& title : m_answerer.Unexpected())
        Fail("a window nobody expected was closed: \"" + title + "\"");
    m_session.SignOut();
    // The engine keeps a task database per account in the program folder; the scripted account is
    // used once, so its folder goes with it.
    if (!m_ownAccount.isEmpty())
        QDir(QString::fromStdString(m_session.ProgramDir()) + m_ownAccount).removeRecursively();
    Say(QString("summary: %1 uploaded, %2 downloaded and compared, %3 failure(s): %4")
            .arg(m_uploaded.size())
            .arg(done ? 1 : 0)
            .arg(m_failures)
            .arg(done && m_failures == 0 ? "OK" : "FAILED"));
    return done && m_failures == 0 ? 0 : 1;
}

bool ScriptedRun::SignIn(const ScriptOptions& options, const QString& dataDir) {
    QString url = options.serviceUrl;
    QString account = options.account;
    QString password = options.password;
    if (url.isEmpty()) {
        // An account of its own, so that this run never meets the tasks of another run or of a person.
        m_ownAccount = QString("script-%1").arg(QCoreApplication::applicationPid());
        account = m_ownAccount;
        password = kScriptPassword;
        const QString program = QString::fromStdString(m_session.ProgramDir()) + "nimbra-diskd";
        if (!m_service.Start(program, dataDir, {"--add-account", account + ":" + password}))
            return Fail(m_service.Error());
        url = m_service.BaseUrl();
        Say("service: started nimbra-diskd at " + url + " with a temporary data folder");
    }
    std::string error;
    if (!m_session.SignIn(url.toStdString(), account.toStdString(), password.toStdString(), error))
        return Fail("sign-in as " + account + " at " + url + ": " + QString::fromStdString(error));
    Say("login: signed in as " + account + " at " + url + "; InitUIP and the login notification delivered");
    m_window.ShowSignedIn();
    return true;
}

bool ScriptedRun::MakeFiles(const QDir& folder) {
    if (!folder.mkpath("."))
        return Fail("cannot create " + folder.path());
    const std::vector<std::pair<QString, QByteArray>> contents = {
        {"报告.txt", QString("第一季度报告\nNimbra scripted upload.\n").repeated(64).toUtf8()},
        {"data-300k.bin", RandomBytes(300 * 1024 + 17)},
        {"data-2m.bin", RandomBytes(2 * 1024 * 1024 + 5)},
        {"picture.jpg", PictureBytes()},
    };
    for (const auto& [name, bytes] : contents) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return Fail("cannot write " + name);
        m_files.push_back({file.fileName(), name, bytes.size(), Sha1Hex(bytes), name.endsWith(".jpg")});
    }
    Say(QString("files: generated %1 files and a picture in %2").arg(m_files.size() - 1).arg(folder.path()));
    return true;
}

bool ScriptedRun::CreateTargetCatalog() {
    m_catalogName = "script " + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-hhmmss");
    m_catalogId = m_session.Disk().CreateCatalog("root", m_catalogName.toStdString());
    if (m_catalogId == kCatalogNotCreated)
        return Fail("cannot create the catalog " + m_catalogName);
    NetDiskPage& page = m_window.Page();
    if (!page.Reload() || !page.SelectCatalog(m_catalogId))
        return Fail("the new catalog is not in the tree");
    Say("catalog: created \"" + m_catalogName + "\" (id " + QString::fromStdString(m_catalogId) +
        ") and chose it");
    return true;
}

bool ScriptedRun::Upload() {
    QStringList paths;
    for (const LocalFile& file : m_files)
        paths << file.path;
    if (m_window.Page().UploadToCurrent(paths, {}) != -1) {
        m_throughDialog = true;
        Say(QString("upload: %1 files handed to UploadDragFilesToNetDisk").arg(paths.size()));
        return true;
    }
    Say("upload: the upload dialog is not available yet (UploadDragFilesToNetDisk answered -1); "
        "handing the files to IUICUpload::StartUpload instead");
    return UploadThroughStartUpload();
}

bool ScriptedRun::UploadFolder(const QDir& folder) {
    if (!folder.mkpath("."))
        return Fail("cannot create " + folder.path());
    ScriptedFolderUpload upload(m_session, m_window.Page(), [this](const QString& line) { Say(line); });
    QString error;
    return upload.Run(folder, m_catalogId, m_timeoutSeconds, error) || Fail("folder upload: " + error);
}

bool ScriptedRun::UploadThroughStartUpload() {
    const QUrl uploadUrl(QString::fromStdString(m_session.Login().Result().uploadUrl));
    if (!uploadUrl.isValid() || uploadUrl.port() <= 0)
        return Fail("unusable upload address " + uploadUrl.toString());
    tagUploadInfo target;
    target.strHost = uploadUrl.host().toStdString();
    target.nPort = uploadUrl.port();
    target.strRequestPath = uploadUrl.path().mid(1).toStdString();
    target.strTargetCatalogID = m_catalogId;
    UploadFileList entries;
    for (const LocalFile& file : m_files) {
        tagUploadFileEntry entry;
        entry.strFilePath = FromQString(file.path);
        entry.ullFileSize = static_cast<uint64_t>(file.size);
        entry.strGoalPath = FromQString("我的网盘\\" + m_catalogName);
        entries.push_back(entry);
        Say(QString("upload  %1  %2  queued").arg(file.name, SizeText(file.size)));
    }
    if (m_session.Component()->StartUpload(entries, target, 0) != 0)
        return Fail("StartUpload refused the batch");
    return true;
}

bool ScriptedRun::WaitForUploads() {
    const QDeadlineTimer deadline{std::chrono::seconds(m_timeoutSeconds)};
    std::vector<bool> seen(m_files.size(), false);
    while (m_uploaded.size() < m_files.size()) {
        if (deadline.hasExpired())
            return Fail(QString("only %1 of %2 uploads arrived within %3 s")
                            .arg(m_uploaded.size())
                            .arg(m_files.size())
                            .arg(m_timeoutSeconds));
        Pump(kPollMs);
        std::string error;
        const auto listed = m_session.Disk().Files(m_catalogId, error);
        if (!listed)
            return Fail("file list: " + QString::fromStdString(error));
        for (size_t i = 0; i < m_files.size(); ++i) {
            const LocalFile& local = m_files[i];
            const auto remote = std::find_if(listed->begin(), listed->end(), [&](const DiskFile& f) {
                return f.name == local.name.toStdString();
            });
            if (seen[i] || remote == listed->end())
                continue;
            seen[i] = true;
            m_uploaded.push_back(*remote);
            const bool same = remote->size == static_cast<uint64_t>(local.size) &&
                              QByteArray::fromStdString(remote->sha1) == local.sha1;
            Say(QString("upload  [%1/%2] %3  %4  finished, %5")
                    .arg(m_uploaded.size())
                    .arg(m_files.size())
                    .arg(local.name, SizeText(local.size),
                         same ? "size and SHA-1 match" : "CONTENT DIFFERS"));
            if (!same)
                Fail("the service holds different bytes for " + local.name);
        }
    }
    m_window.Page().Reload();
    return m_failures == 0;
}

bool ScriptedRun::DownloadOne() {
    const auto largest =
        std::max_element(m_files.begin(), m_files.end(),
                         [](const LocalFile& a, const LocalFile& b) { return a.size < b.size; });
    const auto remote = std::find_if(m_uploaded.begin(), m_uploaded.end(), [&](const DiskFile& f) {
        return f.name == largest->name.toStdString();
    });
    if (remote == m_uploaded.end())
        return Fail("nothing to download");
    const DownloadItem item{m_session.Disk().FileUrl(remote->id), remote->name};
    const QString target = m_downloadDir.filePath(largest->name);
    m_answerer.ExpectFileDialog(target);
    if (m_session.Component()->DownloadFile(Utf8ToGb18030(DownloadFileDocument(item))) == -1)
        return Fail("DownloadFile refused the request for " + largest->name);
    if (!m_answerer.Answered())
        return Fail("DownloadFile asked for no place to save " + largest->name);
    Say("download: DownloadFile asked where to save " + largest->name + "; answered " + target);
    if (!WaitForDownload(target))
        return Fail("the download of " + largest->name + " did not finish within the time allowed");
    QFile file(target);
    if (!file.open(QIODevice::ReadOnly))
        return Fail("cannot read " + target);
    const QByteArray bytes = file.readAll();
    const bool same = bytes.size() == largest->size && Sha1Hex(bytes) == largest->sha1;
    Say(QString("download  %1  %2  finished, %3")
            .arg(largest->name, SizeText(bytes.size()), same ? "bytes match the original" : "BYTES DIFFER"));
    if (!same)
        return Fail("the downloaded bytes of " + largest->name + " differ from the original");
    return CheckThumbnail();
}

bool ScriptedRun::WaitForDownload(const QString& path) {
    // The engine receives into "<file>.part" and gives the file its name only once it is complete.
    const QDeadlineTimer deadline{std::chrono::seconds(m_timeoutSeconds)};
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(path) && !QFileInfo::exists(path + ".part"))
            return true;
        Pump(kPollMs);
    }
    return false;
}

bool ScriptedRun::CheckThumbnail() {
    const auto picture =
        std::find_if(m_files.begin(), m_files.end(), [](const LocalFile& f) { return f.picture; });
    const auto remote = std::find_if(m_uploaded.begin(), m_uploaded.end(), [&](const DiskFile& f) {
        return f.name == picture->name.toStdString();
    });
    if (!m_throughDialog) {
        Say("thumbnail: not checked for " + picture->name +
            ": thumbnails are made by the upload dialog, which is not available yet");
        return true;
    }
    if (remote == m_uploaded.end())
        return Fail(picture->name + " is not on the service");
    // The thumbnail travels in a request of its own, which may end after the file's last bytes.
    ServiceReply reply;
    const QDeadlineTimer deadline{std::chrono::seconds(m_timeoutSeconds)};
    while ((reply = m_session.Disk().Thumbnail(remote->id)).status == 404 && !deadline.hasExpired())
        Pump(kPollMs);
    QImage thumbnail;
    if (!reply.Ok() || !thumbnail.loadFromData(QByteArray::fromStdString(reply.body)))
        return Fail("the thumbnail of " + picture->name + " cannot be read");
    Say(QString("thumbnail: %1 has a %2 x %3 thumbnail on the service")
            .arg(picture->name)
            .arg(thumbnail.width())
            .arg(thumbnail.height()));
    return true;
}

}  // namespace nimbra::app
