#include "NetDiskPage.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMimeData>
#include <QPixmap>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "DownloadRequests.h"
#include "FlashRequest.h"
#include "FolderTree.h"
#include "platform/CodePage.h"
// The task list the component gives out is one of its windows; the host only shows it.
#include "uic/UICUploadFile/tasklist/UploadTaskListDlg.h"

namespace nimbra::app {

namespace {

constexpr int kCatalogIdRole = Qt::UserRole;
constexpr int kIconSize = 40;
constexpr const char* kTopCatalogId = "root";
// The component names the top catalog by its fixed id; the service accepts both.
constexpr const char* kTopCatalogFixedId = "10000000000011";

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string NormalisedCatalogId(const std::string& id) {
    return id == kTopCatalogFixedId ? kTopCatalogId : id;
}

std::vector<std::string> ToComponentPaths(const QStringList& paths) {
    std::vector<std::string> converted;
    for (const QString& path : paths)
        converted.push_back(FromQString(path));
    return converted;
}

}  // namespace

NetDiskPage::NetDiskPage(HostSession& session, QWidget* parent)
    : QWidget(parent),
      HostComponent(IID_IUICNetDisk),
      m_session(session),
      m_notice(new QLabel(this)),
      m_upload(new QPushButton(this)),
      m_uploadHere(new QPushButton(this)),
      m_transfers(new QPushButton(this)),
      m_download(new QPushButton(this)),
      m_refresh(new QPushButton(this)),
      m_target(new QPushButton(this)),
      m_targetAction(new QAction(this)),
      m_tree(new QTreeWidget(this)),
      m_table(new QTableWidget(0, 4, this)),
      m_dropHint(new QLabel(this)) {
    setObjectName("NetDiskPage");
    setAcceptDrops(true);
    QStyle* style = QApplication::style();
    m_upload->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    m_uploadHere->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    m_transfers->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_download->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    m_refresh->setIcon(style->standardIcon(QStyle::SP_BrowserReload));
    m_target->setIcon(style->standardIcon(QStyle::SP_DirOpenIcon));
    m_notice->setObjectName("Notice");
    m_notice->setWordWrap(true);
    m_notice->hide();
    m_dropHint->setObjectName("DropHint");
    m_dropHint->setAlignment(Qt::AlignCenter);
    m_extras = new ExtrasMenu(session, this);
    m_more = new QPushButton(this);
    m_more->setMenu(m_extras);
    connect(m_extras, &ExtrasMenu::notice, this, &NetDiskPage::ShowNotice);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_upload, m_uploadHere, m_transfers, m_download, m_refresh, m_target, m_more})
        buttons->addWidget(button);
    buttons->addStretch();

    m_tree->setHeaderHidden(true);
    m_tree->setIconSize({20, 20});
    m_tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tree->addAction(m_targetAction);
    m_table->setIconSize({kIconSize, kIconSize});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(kIconSize + 6);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_table);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({220, 640});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_notice);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_dropHint);

    connect(m_upload, &QPushButton::clicked, this, [this] { ShowUploadDialog(); });
    connect(m_uploadHere, &QPushButton::clicked, this, [this] { ChooseFilesToUpload(); });
    connect(m_transfers, &QPushButton::clicked, this, [this] { ShowTransfers(); });
    connect(m_download, &QPushButton::clicked, this, [this] { DownloadSelection(); });
    connect(m_refresh, &QPushButton::clicked, this, [this] { Reload(); });
    connect(m_target, &QPushButton::clicked, this, [this] { ChooseTargetCatalog(); });
    connect(m_targetAction, &QAction::triggered, this, [this] { ChooseTargetCatalog(); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { LoadFiles(); });
    Retranslate();
}

void NetDiskPage::Retranslate() {
    LanguageTexts& texts = m_session.Texts();
    m_upload->setText(texts.Host("IDS_HOST_BUTTON_UPLOAD"));
    m_uploadHere->setText(texts.Host("IDS_HOST_BUTTON_UPLOAD_HERE"));
    m_transfers->setText(texts.Host("IDS_HOST_BUTTON_TRANSFERS"));
    m_download->setText(texts.Host("IDS_HOST_BUTTON_DOWNLOAD"));
    m_refresh->setText(texts.Host("IDS_HOST_BUTTON_REFRESH"));
    m_target->setText(texts.Host("IDS_HOST_BUTTON_TARGET"));
    m_targetAction->setText(texts.Host("IDS_HOST_BUTTON_TARGET"));
    m_more->setText(texts.Host("IDS_HOST_BUTTON_EXTRAS"));
    m_extras->Retranslate();
    m_dropHint->setText(texts.Host("IDS_HOST_DROP_HINT"));
    m_table->setHorizontalHeaderLabels({texts.Host("IDS_HOST_COLUMN_NAME"),
                                        texts.Host("IDS_HOST_COLUMN_SIZE"), texts.Host("IDS_HOST_COLUMN_TAG"),
                                        texts.Host("IDS_HOST_COLUMN_DESCRIPTION")});
    if (QTreeWidgetItem* top = m_tree->topLevelItemCount() ? m_tree->topLevelItem(0) : nullptr)
        top->setText(0, texts.Host("IDS_HOST_TOP_CATALOG"));
}

long NetDiskPage::CallFlash(const std::string& request, std::string& reply) {
    reply.clear();
    return HandleNetDiskRequest(Gb18030ToUtf8(request), *this);
}

void NetDiskPage::ShowSpaceInsufficient() {
    ShowNotice(m_session.Texts().Host("IDS_HOST_SPACE_INSUFFICIENT"));
}

void NetDiskPage::Refresh(const std::string& /*refreshId*/) {
    // New catalogs may have appeared as well as files, so the whole view is read again.
    Reload();
}

void NetDiskPage::CreateCatalog(const std::string& parentId, const std::string& name) {
    const std::string answer = m_session.Disk().CreateCatalog(parentId, name);
    if (IUICUpload* component = m_session.Component())
        component->OnCreateNetCatalogResp(answer);
    // The tree is read again after the component's folder upload has taken the answer.
    QTimer::singleShot(0, this, [this] { Reload(); });
}

void NetDiskPage::ChooseTarget(const std::string& catalogId, bool /*shared*/) {
    SelectCatalog(NormalisedCatalogId(catalogId));
}

void NetDiskPage::ChooseNewTarget(const std::string& parentId, const std::string& name, bool /*shared*/) {
    const std::string created = m_session.Disk().CreateCatalog(NormalisedCatalogId(parentId), name);
    if (created == kCatalogNotCreated) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_CATALOG_NOT_CREATED").arg(FromUtf8(name)));
        return;
    }
    Reload();
    SelectCatalog(created);
}

bool NetDiskPage::Reload() {
    std::string error;
    const auto nodes = m_session.Disk().Catalogs(error);
    if (!nodes) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_SERVICE_ERROR").arg(FromUtf8(error)));
        return false;
    }
    // The first time, the catalog the service remembers as current; later, the one the user is in.
    std::string current = CurrentCatalogId();
    if (current.empty()) {
        const auto marked =
            std::find_if(nodes->begin(), nodes->end(), [](const CatalogNode& n) { return n.current; });
        if (marked != nodes->end())
            current = marked->id;
    }
    FillTree(*nodes);
    if (current.empty() || !SelectCatalog(current))
        SelectCatalog(kTopCatalogId);
    return LoadFiles();
}

void NetDiskPage::FillTree(const std::vector<CatalogNode>& nodes) {
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    const QIcon folderIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon diskIcon = QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon);
    std::map<std::string, QTreeWidgetItem*> items;
    for (const CatalogNode& node : nodes) {
        // Parents come first; a node whose parent is unknown is shown at the top rather than lost.
        const auto parent = items.find(node.parentId);
        auto* item =
            parent == items.end() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(parent->second);
        const bool top = node.id == kTopCatalogId;
        item->setText(0, top ? m_session.Texts().Host("IDS_HOST_TOP_CATALOG") : FromUtf8(node.name));
        item->setIcon(0, top ? diskIcon : folderIcon);
        item->setData(0, kCatalogIdRole, FromUtf8(node.id));
        items[node.id] = item;
    }
    m_tree->expandAll();
}

bool NetDiskPage::SelectCatalog(const std::string& catalogId) {
    const auto found = m_tree->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive);
    for (QTreeWidgetItem* item : found) {
        if (item->data(0, kCatalogIdRole).toString().toStdString() == catalogId) {
            m_tree->setCurrentItem(item);
            return true;
        }
    }
    return false;
}

std::string NetDiskPage::CurrentCatalogId() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(0, kCatalogIdRole).toString().toStdString() : std::string();
}

bool NetDiskPage::LoadFiles() {
    m_table->setRowCount(0);
    m_files.clear();
    const std::string catalogId = CurrentCatalogId();
    if (catalogId.empty())
        return false;
    std::string error;
    auto files = m_session.Disk().Files(catalogId, error);
    if (!files) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_SERVICE_ERROR").arg(FromUtf8(error)));
        return false;
    }
    m_files = std::move(*files);
    const QIcon fileIcon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    m_table->setRowCount(static_cast<int>(m_files.size()));
    for (int row = 0; row < static_cast<int>(m_files.size()); ++row) {
        const DiskFile& file = m_files[static_cast<size_t>(row)];
        auto* name = new QTableWidgetItem(fileIcon, FromUtf8(file.name));
        if (file.hasThumbnail) {
            const ServiceReply thumbnail = m_session.Disk().Thumbnail(file.id);
            QPixmap picture;
            if (thumbnail.Ok() && picture.loadFromData(reinterpret_cast<const uchar*>(thumbnail.body.data()),
                                                       static_cast<uint>(thumbnail.body.size())))
                name->setIcon(QIcon(picture));
        }
        m_table->setItem(row, 0, name);
        auto* size = new QTableWidgetItem(
            QLocale(m_session.Texts().Language()).formattedDataSize(static_cast<qint64>(file.size)));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(row, 1, size);
        m_table->setItem(row, 2, new QTableWidgetItem(FromUtf8(file.tag)));
        m_table->setItem(row, 3, new QTableWidgetItem(FromUtf8(file.description)));
    }
    m_table->resizeColumnToContents(1);
    return true;
}

void NetDiskPage::ShowNotice(const QString& text) {
    m_notice->setText(text);
    m_notice->show();
}

void NetDiskPage::ShowNotAvailable(const QString& feature) {
    ShowNotice(m_session.Texts().Host("IDS_HOST_NOT_AVAILABLE").arg(feature));
}

std::string NetDiskPage::UploadDocument() {
    return ComponentDocument(CatalogDocumentForComponent);
}

std::string NetDiskPage::TargetDocument() {
    return ComponentDocument(CatalogTreeForComponent);
}

std::string NetDiskPage::ComponentDocument(std::optional<std::string> (*extract)(const std::string&)) {
    m_session.Disk().SelectCurrent(NormalisedCatalogId(CurrentCatalogId()));
    const ServiceReply reply = m_session.Disk().CatalogDocument();
    if (!reply.Ok()) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_SERVICE_ERROR").arg(FromUtf8(reply.Describe())));
        return {};
    }
    const auto document = extract(reply.body);
    if (!document) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_SERVICE_ERROR").arg("unreadable catalog document"));
        return {};
    }
    return Utf8ToGb18030(*document);
}

long NetDiskPage::ShowUploadDialog() {
    IUICUpload* component = m_session.Component();
    if (!component) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_COMPONENT_MISSING"));
        return -1;
    }
    const std::string document = UploadDocument();
    if (document.empty())
        return -1;
    const long result = component->ShowUpload(document, window());
    if (result != 0)
        ShowNotAvailable(m_upload->text());
    return result;
}

long NetDiskPage::UploadToCurrent(const QStringList& files, const QStringList& folders) {
    IUICUpload* component = m_session.Component();
    if (!component) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_COMPONENT_MISSING"));
        return -1;
    }
    const std::string document = UploadDocument();
    if (document.empty())
        return -1;
    const long result =
        component->UploadDragFilesToNetDisk(document, ToComponentPaths(files), ToComponentPaths(folders), 0);
    if (result == -1)
        ShowNotAvailable(m_uploadHere->text());
    return result;
}

void NetDiskPage::ChooseFilesToUpload() {
    const QStringList files = QFileDialog::getOpenFileNames(this, m_uploadHere->text());
    if (!files.isEmpty())
        UploadToCurrent(files, {});
}

long NetDiskPage::ShowTransfers() {
    IUICUpload* component = m_session.Component();
    const long result = component ? component->ShowTransmit(1) : -1;
    if (!component)
        ShowNotice(m_session.Texts().Host("IDS_HOST_COMPONENT_MISSING"));
    else if (result != 0)
        ShowNotAvailable(m_transfers->text());
    return result;
}

long NetDiskPage::ChooseTargetCatalog() {
    IUICUpload* component = m_session.Component();
    if (!component) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_COMPONENT_MISSING"));
        return -1;
    }
    const std::string document = TargetDocument();
    if (document.empty())
        return -1;
    const long result = component->ShowTarget(document, kFlashChooseTarget);
    if (result != 0)
        ShowNotAvailable(m_target->text());
    return result;
}

long NetDiskPage::ShowUploadTasks() {
    IUICUpload* component = m_session.Component();
    if (!component) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_COMPONENT_MISSING"));
        return -1;
    }
    QWidget* list = component->GetUploadTaskMngDlg();
    if (!list) {
        ShowNotAvailable(m_session.Texts().Host("IDS_HOST_MENU_UPLOAD_TASKS").remove('&'));
        return -1;
    }
    list->show();
    list->raise();
    list->activateWindow();
    return 0;
}

long NetDiskPage::DownloadSelection() {
    IUICUpload* component = m_session.Component();
    if (!component) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_COMPONENT_MISSING"));
        return -1;
    }
    std::vector<DownloadItem> chosen;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        const DiskFile& file = m_files.at(static_cast<size_t>(index.row()));
        chosen.push_back({m_session.Disk().FileUrl(file.id), file.name});
    }
    long result = -1;
    if (chosen.size() == 1) {
        result = component->DownloadFile(Utf8ToGb18030(DownloadFileDocument(chosen.front())));
    } else if (!chosen.empty()) {
        result = component->DownloadFiles(Utf8ToGb18030(DownloadFilesDocument(chosen)));
    } else if (const QTreeWidgetItem* catalog = m_tree->currentItem()) {
        // Nothing selected in the list: the chosen catalog is downloaded as a folder, with all below it.
        std::string error;
        const auto tree = ReadFolderTree(m_session.Disk(), CurrentCatalogId(), error);
        if (!tree) {
            ShowNotice(m_session.Texts().Host("IDS_HOST_SERVICE_ERROR").arg(FromUtf8(error)));
            return -1;
        }
        result = component->DownloadFolder(Utf8ToGb18030(
            DownloadFolderDocument(catalog->text(0).toStdString(), tree->files, tree->folders)));
    }
    if (result == -1)
        ShowNotAvailable(m_download->text());
    return result;
}

void NetDiskPage::SetOnline(bool online) {
    for (QPushButton* button : {m_upload, m_uploadHere, m_transfers, m_download, m_refresh, m_target, m_more})
        button->setEnabled(online);
    m_targetAction->setEnabled(online);
    setAcceptDrops(online);
    if (!online) {
        ShowNotice(m_session.Texts().Host("IDS_HOST_STATUS_OFFLINE"));
        return;
    }
    m_notice->hide();
}

void NetDiskPage::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void NetDiskPage::dropEvent(QDropEvent* event) {
    QStringList files, folders;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir())
            folders << info.absoluteFilePath();
        else if (info.isFile())
            files << info.absoluteFilePath();
    }
    if (files.isEmpty() && folders.isEmpty())
        return;
    event->acceptProposedAction();
    UploadToCurrent(files, folders);
}

}  // namespace nimbra::app
