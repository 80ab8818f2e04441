#include "ExtrasMenu.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/CodePage.h"

namespace nimbra::app {

ExtrasMenu::ExtrasMenu(HostSession& session, QWidget* parent)
    : QMenu(parent),
      m_session(session),
      m_folder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation) + "/Nimbra"),
      m_crawler(addAction({}, this, [this] { DownloadCrawler(); })),
      m_ringTones(addMenu(QString())),
      m_editorSignIn(nullptr) {
    addSeparator();
    m_editorSignIn = addAction({}, this, [this] { SignInToEditor(); });
    connect(this, &QMenu::aboutToShow, this, &ExtrasMenu::LoadRingTones);
    Retranslate();
}

void ExtrasMenu::Retranslate() {
    LanguageTexts& texts = m_session.Texts();
    m_crawler->setText(texts.Host("IDS_HOST_MENU_CRAWLER"));
    m_ringTones->setTitle(texts.Host("IDS_HOST_MENU_RINGTONES"));
    m_editorSignIn->setText(texts.Host("IDS_HOST_MENU_EDITOR_SIGNIN"));
}

void ExtrasMenu::LoadRingTones() {
    m_ringTones->clear();
    std::string error;
    const auto names = m_session.Disk().RingTones(error);
    if (!names) {
        emit notice(m_session.Texts().Host("IDS_HOST_SERVICE_ERROR").arg(QString::fromStdString(error)));
        return;
    }
    for (const std::string& name : *names) {
        const QString tone = QString::fromStdString(name);
        m_ringTones->addAction(tone, this, [this, tone] { DownloadRingTone(tone); });
    }
    if (names->empty())
        m_ringTones->addAction(m_session.Texts().Host("IDS_HOST_MENU_RINGTONES_NONE"))->setEnabled(false);
}

IUICUpload* ExtrasMenu::Component() {
    IUICUpload* component = m_session.Component();
    if (!component)
        emit notice(m_session.Texts().Host("IDS_HOST_COMPONENT_MISSING"));
    return component;
}

std::string ExtrasMenu::LocalPath(const QString& name) {
    QDir().mkpath(m_folder);
    return FromQString(QDir(m_folder).filePath(name));
}

long ExtrasMenu::Report(long result, const QAction* action) {
    if (result != 0)
        emit notice(m_session.Texts().Host("IDS_HOST_NOT_AVAILABLE").arg(action->text()));
    return result;
}

long ExtrasMenu::DownloadCrawler() {
    IUICUpload* component = Component();
    if (!component)
        return -1;
    const std::string url = m_session.Disk().StaticUrl(kCrawlerPath);
    const QString name = QString(kCrawlerPath).section('/', -1);
    return Report(component->DownloadNetreptile(url, LocalPath(name)), m_crawler);
}

long ExtrasMenu::DownloadRingTone(const QString& name) {
    IUICUpload* component = Component();
    if (!component)
        return -1;
    const std::string url = m_session.Disk().StaticUrl("ringtones/" + EncodePathSegment(name.toStdString()));
    return Report(component->DownloadNewFile(url, LocalPath(name)), m_ringTones->menuAction());
}

long ExtrasMenu::SignInToEditor() {
    IUICUpload* component = Component();
    // 0: the editor comes up as well, so the user sees it signed in.
    return component ? Report(component->OpenDIYFile(0), m_editorSignIn) : -1;
}

}  // namespace nimbra::app
