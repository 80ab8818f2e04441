#pragma once
// The network-disk page (IUICNetDisk): the catalog tree and the files of the chosen catalog, the buttons
// that call the upload component, drops of files and folders, and the page's side of the Flash channel.

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "ExtrasMenu.h"
#include "HostSession.h"
#include "NetDiskRequests.h"
#include "ServiceDocuments.h"
#include "host/HostObject.h"

namespace nimbra::app {

class NetDiskPage final : public QWidget, public HostComponent<IUICNetDisk>, public NetDiskActions {
    Q_OBJECT
public:
    explicit NetDiskPage(HostSession& session, QWidget* parent = nullptr);

    // IUICNetDisk
    HWND GetComponentHwnd() override { return this; }
    long CallFlash(const std::string& request, std::string& reply) override;
    void ShowSpaceInsufficient() override;

    // NetDiskActions
    void Refresh(const std::string& refreshId) override;
    void CreateCatalog(const std::string& parentId, const std::string& name) override;
    void ChooseTarget(const std::string& catalogId, bool shared) override;
    // Makes the catalog on the service, then shows and selects it.
    void ChooseNewTarget(const std::string& parentId, const std::string& name, bool shared) override;

    // Reads the catalog tree and the files of the chosen catalog from the service again.
    bool Reload();
    bool SelectCatalog(const std::string& catalogId);
    std::string CurrentCatalogId() const;
    const std::vector<DiskFile>& Files() const { return m_files; }

    // The component's operations; each shows "not available" when the component cannot do it yet.
    long ShowUploadDialog();
    long UploadToCurrent(const QStringList& files, const QStringList& folders);
    long ShowTransfers();
    // The component's upload task list, made when the user signed in.
    long ShowUploadTasks();
    long DownloadSelection();
    // The component's target catalog dialog over the page's tree; the choice comes back as a Flash request.
    long ChooseTargetCatalog();

    // The menu of the downloads the service offers by address and the editor sign-in.
    ExtrasMenu& Extras() { return *m_extras; }

    // Offline, the buttons and drops are off and a notice says why; the caller reloads when back.
    void SetOnline(bool online);
    void Retranslate();
    // The notice shown above the lists (empty when none).
    QString Notice() const { return m_notice->isHidden() ? QString() : m_notice->text(); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ShowNotice(const QString& text);
    void ShowNotAvailable(const QString& feature);
    void FillTree(const std::vector<CatalogNode>& nodes);
    bool LoadFiles();
    // The catalog document with the current catalog marked, in the component's code page; empty on failure.
    std::string UploadDocument();
    // The catalog tree alone, for the target catalog dialog; empty on failure.
    std::string TargetDocument();
    // The service's catalog document with the current catalog marked, turned into the component's shape
    // by extract and its code page; empty (with a notice) on failure.
    std::string ComponentDocument(std::optional<std::string> (*extract)(const std::string&));
    void ChooseFilesToUpload();

    HostSession& m_session;
    QLabel* m_notice;
    QPushButton* m_upload;
    QPushButton* m_uploadHere;
    QPushButton* m_transfers;
    QPushButton* m_download;
    QPushButton* m_refresh;
    QPushButton* m_target;
    QAction* m_targetAction;  // the same choice in the tree's context menu
    QTreeWidget* m_tree;
    QTableWidget* m_table;
    QLabel* m_dropHint;
    std::vector<DiskFile> m_files;
    ExtrasMenu* m_extras = nullptr;
    QPushButton* m_more = nullptr;
};

}  // namespace nimbra::app
