#pragma once
// The network-disk page's menu of what the service offers by address: the web-crawler installer and the
// ring tones, each downloaded through the component (which follows it in a dialog of its own), and the
// sign-in to the outside ring-tone editor.

#include <QMenu>
#include <QString>

#include "HostSession.h"

namespace nimbra::app {

class ExtrasMenu final : public QMenu {
    Q_OBJECT
public:
    // Where the service keeps the crawler installer, below /static/.
    static constexpr const char* kCrawlerPath = "crawler/nimbra-crawler_1.0_all.deb";

    ExtrasMenu(HostSession& session, QWidget* parent);

    void Retranslate();
    // The folder the downloads go to; by default "Nimbra" in the user's download folder.
    void SetDownloadFolder(const QString& folder) { m_folder = folder; }
    const QString& DownloadFolder() const { return m_folder; }

    // Each hands its work to the component; -1, with a notice, when it cannot.
    long DownloadCrawler();
    long DownloadRingTone(const QString& name);
    long SignInToEditor();
    // The ring-tone submenu, filled from the service's list each time the menu opens.
    QMenu* RingTones() const { return m_ringTones; }
    void LoadRingTones();

signals:
    void notice(const QString& text);

private:
    // The component, or null after a notice that it is missing.
    IUICUpload* Component();
    // The local path for a file of that name in the download folder (made when missing), in the component's
    // code page.
    std::string LocalPath(const QString& name);
    long Report(long result, const QAction* action);

    HostSession& m_session;
    QString m_folder;
    QAction* m_crawler;
    QMenu* m_ringTones;
    QAction* m_editorSignIn;
};

}  // namespace nimbra::app
