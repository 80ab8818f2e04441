#include "uic/UICUploadFile/target/UICTargetDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <unordered_set>

#include "function/ToolsHelp.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "ui_10008.h"
#include "uic/UICUploadFile/frame/NetDiskFlash.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "xml/XML.h"

// The tree's label editor: the end of an edit goes to the dialog's EndEdit instead of into the item, so
// the dialog decides what the item is called.
class CTargetLabelDelegate final : public QStyledItemDelegate {
public:
    CTargetLabelDelegate(std::function<void(QLineEdit*)> endEdit, QObject* parent)
        : QStyledItemDelegate(parent), m_endEdit(std::move(endEdit)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        m_editor = qobject_cast<QLineEdit*>(editor);
        return editor;
    }
    void setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                      const QModelIndex& /*index*/) const override {
        m_endEdit(qobject_cast<QLineEdit*>(editor));
    }
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        if (editor == m_editor) {
            m_editor = nullptr;
        }
        QStyledItemDelegate::destroyEditor(editor, index);
    }
    QLineEdit* Editor() const { return m_editor; }

private:
    std::function<void(QLineEdit*)> m_endEdit;
    mutable QPointer<QLineEdit> m_editor;
};

namespace {

constexpr const char* kSection = "UPLOAD";
constexpr const char* kTopName = "我的网盘";
constexpr const char* kNoCatalog = "notexist";
constexpr int kRecordRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
// Image list order: folder, selected folder, shared folder, selected shared folder.
constexpr int kFolderImage = 0;
constexpr int kSharedImage = 2;
constexpr int kImageIds[] = {IDI_ICON_TARGET_FOLDER, IDI_ICON_TARGET_FOLDER_SELECTED, IDI_ICON_TARGET_SHARED,
                             IDI_ICON_TARGET_SHARED_SELECTED};
// The network disk's longest name, in bytes of UTF-8.
constexpr size_t kMaxNameBytes = 255;

std::string Text(const char* key) {
    return CToolsHelp::GetString(key, kSection);
}

std::string ConfigFile() {
    return CToolsHelp::GetProgramDir() + "config.ini";
}

std::string TrimSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The dialog data document the network-disk page hears the choice in. A new folder is named "-1"; its
// parent and its name follow, so that the page can make it.
std::string TargetDataDocument(const std::string& targetId, const std::string& catalogName,
                               const std::string& shared) {
    CXML xml;
    xml.AddElem("data");
    xml.AddChildElem("targetid", catalogName.empty() ? targetId : "-1");
    xml.AddChildAttrib("isshared", std::to_string(std::atoi(shared.c_str())));
    if (!catalogName.empty()) {
        xml.AddChildElem("parent", targetId);
        xml.AddChildElem("strPath", catalogName);
    }
    return xml.GetDoc();
}

}  // namespace

CUICTargetDlg::CUICTargetDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_TARGET, parent), m_ui(std::make_unique<Ui::TargetDlgForm>()) {
    Q_INIT_RESOURCE(target);
    m_ui->setupUi(this);
    m_pTree = m_ui->treeTarget;
    m_pNew = m_ui->buttonNew;
    m_pOk = m_ui->buttonOk;
    m_pDelegate = new CTargetLabelDelegate([this](QLineEdit* editor) { EndEdit(editor); }, m_pTree);
    m_pTree->setItemDelegate(m_pDelegate);
    m_pTree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pTree->viewport()->installEventFilter(this);
    SetLabelEdit(false);
    connect(m_pNew, &QPushButton::clicked, this, [this] { OnBnClickedButtonNew(); });
    connect(m_pOk, &QPushButton::clicked, this, [this] { OnBnClickedButtonOk(); });
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(m_pTree, &QTreeWidget::currentItemChanged, this, [this] { OnTvnSelchangedTree(); });
    connect(m_pTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& point) { OnNMRclickTree(point); });
}

CUICTargetDlg::~CUICTargetDlg() = default;

bool CUICTargetDlg::OnInitDialog() {
    LOG_FUNCTION("CUICTargetDlg::OnInitDialog");
    Services::GetSkin().ApplySkin(this, "DlgUpload");
    CResizableDialog::OnInitDialog();
    AnchorControl(m_pTree, ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);
    AnchorControl(m_pNew, ANCHOR_BOTTOMLEFT);
    AnchorControl(m_pOk, ANCHOR_BOTTOMRIGHT);
    AnchorControl(m_ui->buttonCancel, ANCHOR_BOTTOMRIGHT);
    SC_ORVA::RegisterWindow(this);
    SetLanguage();
    // Each icon pairs an image with its selected form, the next one in the list.
    for (size_t image = 0; image + 1 < std::size(kImageIds); image += 2) {
        QIcon icon;
        icon.addPixmap(QPixmap(QStringLiteral(":/target/%1.png").arg(kImageIds[image])), QIcon::Normal);
        icon.addPixmap(QPixmap(QStringLiteral(":/target/%1.png").arg(kImageIds[image + 1])), QIcon::Selected);
        m_icons.push_back(icon);
    }
    return true;
}

bool CUICTargetDlg::SetLanguage() {
    setWindowTitle(ToQString(Text("IDS_UPLOAD_TARGET_TITLE")));
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_TARGET_NEW, "IDS_UPLOAD_TARGET_NEW", kSection);
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_TARGET_OK, "IDS_GLOBAL_BUTTON_OK", "GLOBAL");
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_TARGET_CANCEL, "IDS_GLOBAL_BUTTON_CANCEL", "GLOBAL");
    return true;
}

bool CUICTargetDlg::PostDestroyWin() {
    LOG_INFO("CUICTargetDlg::PostDestroyWin", "PostDestroyWin");
    return true;
}

void CUICTargetDlg::SetParam(const std::string& doc, int32_t noWrapper, int32_t flashCallNumber) {
    m_strDoc = doc;
    m_nNoWrapper = noWrapper;
    m_nFlashCallNumber = flashCallNumber;
}

void CUICTargetDlg::SetNewCatalog(const std::string& targetId, const std::string& catalogName) {
    m_strTargetID = targetId;
    m_strCatalogName = catalogName;
}

bool CUICTargetDlg::Prepare() {
    if (!Create()) {
        NIMBRA_LOG("%s, Info = %s", "CUICTargetDlg::Prepare", "创建对话框失败");
        return false;
    }
    InitEx();
    return true;
}

int CUICTargetDlg::DoModal() {
    if (!Prepare()) {
        return IDCANCEL;
    }
    // A caller's wait cursor is for its own work, not for the user's choice.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const int result = exec();
    if (waiting) {
        QApplication::restoreOverrideCursor();
    }
    return result == IDOK ? IDOK : IDCANCEL;
}

void CUICTargetDlg::reject() {
    done(IDCANCEL);
}

bool CUICTargetDlg::ParseXMLEx(const std::string& doc) {
    return m_catalogs.Parse(doc, m_nNoWrapper != 0);
}

void CUICTargetDlg::InitEx() {
    LOG_FUNCTION("CUICTargetDlg::InitEx");
    // The items go before the records they point at.
    m_setNewItems.clear();
    m_vecItems.clear();
    m_pTree->clear();
    ParseXMLEx(m_strDoc);
    m_pOk->setEnabled(true);
    m_pNew->setEnabled(true);
    m_catalogs.BuildTree(GetPrivateProfileString("PREPATH", "netdiskdownload", "", ConfigFile().c_str()));

    // Built apart from the tree and added at once: one insertion instead of one per folder.
    QList<QTreeWidgetItem*> topItems;
    m_vecItems.reserve(m_catalogs.Nodes().size());
    for (const tagTargetNode& node : m_catalogs.Nodes()) {
        const bool top = node.nParent < 0;
        auto* item = top ? new QTreeWidgetItem() : new QTreeWidgetItem(m_vecItems[node.nParent]);
        item->setText(0, ToQString(top ? kTopName : node.pRecord->strName));
        SetItemImage(item, !top && node.bShared ? kSharedImage : kFolderImage);
        item->setData(0, kRecordRole, QVariant::fromValue(static_cast<void*>(node.pRecord)));
        if (top) {
            topItems.push_back(item);
        }
        m_vecItems.push_back(item);
    }
    m_pTree->addTopLevelItems(topItems);

    QTreeWidgetItem* current = m_catalogs.CurrentNode() < 0 ? nullptr : m_vecItems[m_catalogs.CurrentNode()];
    QTreeWidgetItem* remembered =
        m_catalogs.RememberedNode() < 0 ? nullptr : m_vecItems[m_catalogs.RememberedNode()];
    QTreeWidgetItem* root = ItemOf(ROOT_CATALOG_ID);
    QTreeWidgetItem* firstChild = root && root->childCount() > 0 ? root->child(0) : nullptr;
    QTreeWidgetItem* expand = current;
    if (remembered) {
        SelectItem(remembered);
    } else if (current) {
        SelectItem(current);
    } else if (firstChild) {
        SelectItem(firstChild);
        expand = firstChild;
    }
    if (!m_strTargetID.empty()) {
        if (m_strCatalogName.empty()) {
            if (QTreeWidgetItem* preset = ItemOf(m_strTargetID)) {
                SelectItem(preset);
                expand = preset;
            }
        } else {
            AddNewCatalogItem();
        }
    }
    if (expand) {
        expand->setExpanded(true);
    }
    SetLabelEdit(false);
    m_pNew->setVisible(m_nNoWrapper == 0);
    m_strTargetID.clear();
    m_strCatalogName.clear();
}

void CUICTargetDlg::AddNewCatalogItem() {
    QTreeWidgetItem* root = ItemOf(ROOT_CATALOG_ID);
    if (!root) {
        return;
    }
    // The top folder is "root" in a result, its record id in the tree.
    const std::string target = m_strTargetID == "root" ? std::string(ROOT_CATALOG_ID) : m_strTargetID;
    for (QTreeWidgetItemIterator it(root); *it; ++it) {
        const stCatalog* record = RecordOf(*it);
        if (!record) {
            LOG_NULL("CUICTargetDlg::AddNewCatalogItem", "pstCatalog");
            return;
        }
        if (record->strCatalogID == target) {
            auto* item = new QTreeWidgetItem(*it);
            item->setText(0, ToQString(m_strCatalogName));
            SetItemImage(item, kFolderImage);
            SelectItem(item);
            return;
        }
    }
}

// --- Selection and buttons ---

void CUICTargetDlg::OnTvnSelchangedTree() {
    const QTreeWidgetItem* item = m_pTree->currentItem();
    if (!item) {
        return;
    }
    const stCatalog* record = RecordOf(item);
    if (!record) {
        // A pending new folder: nothing is made under it, and it can be chosen.
        m_pNew->setEnabled(false);
        m_pOk->setEnabled(true);
        return;
    }
    const bool usable = record->strCatalogID != ROOT_CATALOG_ID && record->strCatalogID != kNoCatalog;
    m_pOk->setEnabled(usable);
    m_pNew->setEnabled(usable);
}

void CUICTargetDlg::OnNMClickTree(const QPoint& point) {
    const QTreeWidgetItem* hit = m_pTree->itemAt(point);
    SetLabelEdit(hit && IsNewItem(hit));
}

void CUICTargetDlg::OnNMRclickTree(const QPoint& point) {
    LOG_FUNCTION("CUICTargetDlg::OnNMRclickTree");
    if (QTreeWidgetItem* hit = m_pTree->itemAt(point)) {
        SelectItem(hit);
    }
    const QTreeWidgetItem* selected = m_pTree->currentItem();
    if (!selected) {
        return;
    }
    const stCatalog* record = RecordOf(selected);
    QMenu menu(this);
    auto add = [&](int id, const char* key, bool enabled) {
        QAction* action = menu.addAction(ToQString(Text(key)));
        action->setData(id);
        action->setEnabled(enabled);
    };
    add(ID_TARGET_MENU_NEW, "IDS_UPLOAD_TARGET_NEW", record && record->strCatalogID != kNoCatalog);
    add(ID_TARGET_MENU_RENAME, "IDS_UPLOAD_TARGET_RENAME", IsEditableDeepItem(selected));
    add(ID_TARGET_MENU_DELETE, "IDS_UPLOAD_TRANSMIT_MENU_DELETE", IsEditableDeepItem(selected));
    switch (Services::GetSkin().TrackPopupMenu(&menu, m_pTree->viewport()->mapToGlobal(point), this)) {
        case ID_TARGET_MENU_NEW:
            OnMenuNew();
            break;
        case ID_TARGET_MENU_RENAME:
            OnMenuRename();
            break;
        case ID_TARGET_MENU_DELETE:
            OnMenuDelete();
            break;
        default:
            break;
    }
}

// --- New folders and their names ---

void CUICTargetDlg::OnBnClickedButtonNew() {
    static const char* const kName = "CUICTargetDlg::OnBnClickedButtonNew";
    LOG_FUNCTION(kName);
    QTreeWidgetItem* parent = m_pTree->currentItem();
    if (!parent) {
        LOG_NULL(kName, "hItemSel");
        return;
    }
    auto* item = new QTreeWidgetItem(parent);
    item->setText(0, ToQString(MakeNewCatalogName(parent)));
    SetItemImage(item, kFolderImage);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_setNewItems.insert(item);
    parent->setExpanded(true);
    SetLabelEdit(true);
    SelectItem(item);
    m_pOk->setEnabled(true);
    m_pTree->editItem(item);
}

std::string CUICTargetDlg::MakeNewCatalogName(QTreeWidgetItem* parent) const {
    const std::string base = Text("IDS_UPLOAD_TARGET_NEW");
    if (!parent || parent->childCount() == 0) {
        LOG_NULL("CUICTargetDlg::MakeNewCatalogName", "hItemChild");
        return base;
    }
    // The sibling names once, then the first free counter: the first duplicate gives "(2)".
    std::unordered_set<std::string> taken;
    for (int i = 0; i < parent->childCount(); ++i) {
        taken.insert(FromQString(parent->child(i)->text(0)));
    }
    std::string name = base;
    for (int counter = 2; taken.count(name) != 0; ++counter) {
        name = base + " (" + std::to_string(counter) + ")";
    }
    return name;
}

bool CUICTargetDlg::IsCatalogLegal(const std::string& name) {
    // Checked in UTF-8, where every byte below 0x80 is a character of its own (in GB18030 a backslash
    // or a bar byte may end a Chinese character), and against the limits the network disk sets itself.
    const std::string utf8 = Gb18030ToUtf8(name);
    if (utf8.empty() || utf8.size() > kMaxNameBytes || utf8 == "." || utf8 == "..") {
        return false;
    }
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || std::strchr("\\/:*?\"<>|", c) != nullptr) {
            return false;
        }
    }
    return true;
}

bool CUICTargetDlg::IsCatalogExist(const std::string& name) const {
    const QTreeWidgetItem* item = m_pTree->currentItem();
    if (!item) {
        return false;
    }
    const QString text = ToQString(name);
    const QTreeWidgetItem* parent = item->parent();
    const int count = parent ? parent->childCount() : m_pTree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* sibling = parent ? parent->child(i) : m_pTree->topLevelItem(i);
        if (sibling != item && sibling->text(0) == text) {
            return true;
        }
    }
    return false;
}

const char* CUICTargetDlg::NameRefusal(const std::string& name) const {
    if (!IsCatalogLegal(name)) {
        return "IDS_UPLOAD_INFO_CATALOG_LAWLESS";
    }
    if (IsCatalogExist(name)) {
        return "IDS_UPLOAD_TARGET_CATALOG_EXIST";
    }
    return nullptr;
}

void CUICTargetDlg::EndEdit(QLineEdit* editor) {
    LOG_FUNCTION("CUICTargetDlg::EndEdit");
    QTreeWidgetItem* item = m_pTree->currentItem();
    if (!editor || !item) {
        SetLabelEdit(false);
        return;
    }
    const std::string name = TrimSpaces(FromQString(editor->text()));
    item->setText(0, ToQString(name));
    SetLabelEdit(false);
    if (const char* refusal = NameRefusal(name)) {
        RefuseName(editor->mapToGlobal(QPoint(0, editor->height())), item, refusal);
    }
}

void CUICTargetDlg::RefuseName(const QPoint& tipPoint, QTreeWidgetItem* item, const char* key) {
    Services::GetSkin().ShowBalloonTip(tipPoint, "", Text(key), TTI_NONE);
    // After the editor has closed: an edit cannot start while the last one is still ending.
    QMetaObject::invokeMethod(
        this, [this, item] { RestartEdit(item); }, Qt::QueuedConnection);
}

void CUICTargetDlg::RestartEdit(QTreeWidgetItem* item) {
    if (!IsNewItem(item)) {
        return;
    }
    SelectItem(item);
    SetLabelEdit(true);
    m_pTree->editItem(item);
}

bool CUICTargetDlg::IsEditableDeepItem(const QTreeWidgetItem* item) const {
    return item && item->parent() && item->parent()->parent() && IsNewItem(item);
}

void CUICTargetDlg::OnMenuRename() {
    QTreeWidgetItem* item = m_pTree->currentItem();
    if (!IsEditableDeepItem(item)) {
        return;
    }
    SetLabelEdit(true);
    m_pTree->editItem(item);
}

void CUICTargetDlg::OnMenuDelete() {
    QTreeWidgetItem* item = m_pTree->currentItem();
    if (!IsEditableDeepItem(item)) {
        return;
    }
    m_setNewItems.erase(item);
    delete item;
}

// --- OK ---

void CUICTargetDlg::OnBnClickedButtonOk() {
    static const char* const kName = "CUICTargetDlg::OnBnClickedButtonOk";
    LOG_FUNCTION(kName);
    // The command counts only while the button takes it: the top folder is never a target.
    if (!m_pOk->isEnabled()) {
        return;
    }
    QTreeWidgetItem* item = m_pTree->currentItem();
    if (!item) {
        LOG_NULL(kName, "hItemSel");
        return;
    }
    const stCatalog* record = RecordOf(item);
    std::string targetId;
    std::string catalogName;
    std::string shared;
    if (!record) {
        catalogName = FromQString(item->text(0));
        // A name the network disk would refuse never leaves the dialog.
        if (const char* refusal = NameRefusal(catalogName)) {
            const QRect rect = m_pTree->visualItemRect(item);
            RefuseName(m_pTree->viewport()->mapToGlobal(rect.bottomLeft()), item, refusal);
            return;
        }
        const stCatalog* parent = item->parent() ? RecordOf(item->parent()) : nullptr;
        if (!parent) {
            LOG_NULL(kName, "pstTemp");
            return;
        }
        targetId = parent->strCatalogID == ROOT_CATALOG_ID ? "root" : parent->strCatalogID;
        shared = parent->strShared;
    } else {
        targetId = record->strCatalogID;
        shared = record->strShared;
    }
    if (std::atoi(shared.c_str()) == 1 &&
        Services::GetPrompts().MessageBox(this, Text("IDS_UPLOAD_INFO_SHARE"),
                                          CToolsHelp::GetString("IDS_GLOBAL_INFO_CONFIRM", "GLOBAL"),
                                          MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        m_pTree->setFocus();
        return;
    }
    m_strTargetID = targetId;
    m_strCatalogName = catalogName;
    m_strTargetPath = MakeTargetPath(item);
    if (!WritePrivateProfileString("PREPATH", "netdiskdownload", m_strTargetPath.c_str(),
                                   ConfigFile().c_str())) {
        LOG_FAILED(kName, "WritePrivateProfileString");
    }
    NotifyFlash(shared);
    done(IDOK);
}

std::string CUICTargetDlg::MakeTargetPath(QTreeWidgetItem* item) const {
    QStringList names;
    for (const QTreeWidgetItem* up = item; up; up = up->parent()) {
        names.prepend(up->text(0));
    }
    QString path = names.join('\\');
    while (path.endsWith('\\')) {
        path.chop(1);
    }
    return FromQString(path);
}

void CUICTargetDlg::NotifyFlash(const std::string& shared) {
    const std::string data = TargetDataDocument(m_strTargetID, m_strCatalogName, shared);
    if (m_nFlashCallNumber != 0) {
        CallNetDiskFlash(m_nFlashCallNumber, data, "CUICTargetDlg::NotifyFlash");
    }
}

// --- Tree plumbing ---

QTreeWidgetItem* CUICTargetDlg::ItemOf(const std::string& catalogId) const {
    const int32_t node = m_catalogs.NodeOf(catalogId);
    return node < 0 ? nullptr : m_vecItems[node];
}

const stCatalog* CUICTargetDlg::RecordOf(const QTreeWidgetItem* item) const {
    return item ? static_cast<const stCatalog*>(item->data(0, kRecordRole).value<void*>()) : nullptr;
}

int CUICTargetDlg::ImageOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kImageRole).toInt() : -1;
}

void CUICTargetDlg::SetItemImage(QTreeWidgetItem* item, int image) {
    const auto icon = static_cast<size_t>(image / 2);
    if (icon < m_icons.size()) {
        item->setIcon(0, m_icons[icon]);
    }
    item->setData(0, kImageRole, image);
}

void CUICTargetDlg::SelectItem(QTreeWidgetItem* item) {
    m_pTree->setCurrentItem(item);
    m_pTree->scrollToItem(item);
}

void CUICTargetDlg::SetLabelEdit(bool on) {
    m_bLabelEdit = on;
    m_pTree->setEditTriggers(on ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                                : QAbstractItemView::NoEditTriggers);
}

QLineEdit* CUICTargetDlg::EditBox() const {
    return m_pDelegate->Editor();
}

void CUICTargetDlg::keyPressEvent(QKeyEvent* event) {
    // Enter never closes the dialog: OK is taken only from its button. In a label edit it ends the edit.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    CResizableDialog::keyPressEvent(event);
}

bool CUICTargetDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pTree->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OnNMClickTree(static_cast<QMouseEvent*>(event)->position().toPoint());
    }
    return CResizableDialog::eventFilter(watched, event);
}
