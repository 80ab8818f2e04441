#include "uic/UICUploadFile/upload/UICUploadDlg.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <cstdlib>
#include <filesystem>

#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "ui_10001.h"
#include "uic/UICUploadFile/controls/SkinSplitterCtrl.h"
#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"
#include "uic/UICUploadFile/frame/LangFormat.h"
#include "uic/UICUploadFile/frame/NetDiskFlash.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/SizeFormat.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/frame/WaitCursor.h"
#include "uic/UICUploadFile/property/UICPropertyDlg.h"
#include "uic/UICUploadFile/transfer/UICProgressDlg.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uic/UICUploadFile/upload/RefusalView.h"
#include "uic/UICUploadFile/upload/UploadBatch.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace {

constexpr const char* kSection = "UPLOAD";
constexpr int kTagLimit = 260;
constexpr int kDescriptionLimit = 150;
constexpr int kRowHeight = 25;

std::string Text(const char* key) {
    return CToolsHelp::GetString(key, kSection);
}

std::string ConfigFile() {
    return CToolsHelp::GetProgramDir() + "config.ini";
}

std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

uint64_t FileSize(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(std::filesystem::path(Gb18030ToUtf8(path)), error);
    return error ? 0 : size;
}

QPixmap IconResource(const char* name) {
    return QPixmap(QStringLiteral(":/upload/") + QLatin1String(name));
}

}  // namespace

CUICUploadDlg::CUICUploadDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_UPLOAD, parent),
      m_ui(std::make_unique<Ui::UploadDlgForm>()),
      m_timers([this](unsigned id) { OnTimer(id); }, this) {
    Q_INIT_RESOURCE(upload);
    m_ui->setupUi(this);
    m_pList = m_ui->listUpload;
    m_pCombo = m_ui->comboGoalCatalog;
    m_pTag = m_ui->richeditTag;
    m_pDescription = m_ui->editDescription;
    m_pUpload = m_ui->buttonUpload;
    m_messages.On(WM_LIST_CELL_NOTIFY, [this](WPARAM w, LPARAM l) { return OnListClickCloumnDel(w, l); });
    m_messages.On(WM_SKIN_NOTIFY, [this](WPARAM w, LPARAM l) { return OnSkinMagicExMsg(w, l); });
    m_messages.On(WM_SPLITTER_HOR_RANGE, [this](WPARAM w, LPARAM l) { return OnSplitterHorRange(w, l); });
    m_messages.On(WM_SPLITTER_VER_RANGE, [this](WPARAM w, LPARAM l) { return OnSplitterVerRange(w, l); });
    connect(m_ui->buttonChoose, &QPushButton::clicked, this, [this] { OnBnClickedButtonChoose(); });
    connect(m_ui->buttonCatalog, &QPushButton::clicked, this, [this] { OnBnClickedButtonCatalog(); });
    connect(m_pUpload, &QPushButton::clicked, this, [this] { OnBnClickedButtonUpload(); });
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, [this] { OnBnClickedButtonCanecl(); });
    connect(m_ui->buttonNext, &QPushButton::clicked, this, [this] { OnBnClickedButtonNext(); });
    connect(m_pCombo, &CUICComboTreeCtrl::Notify, this, [this](int code) {
        if (code == CBN_SELENDOK) {
            OnCbnSelendokComboGoalcatalog();
        }
    });
    CreateList();
}

CUICUploadDlg::~CUICUploadDlg() = default;

bool CUICUploadDlg::OnInitDialog() {
    LOG_FUNCTION("CUICUploadDlg::OnInitDialog");
    Services::GetSkin().ApplySkin(this, "DlgUpload");
    CResizableDialog::OnInitDialog();
    SC_ORVA::RegisterWindow(this);
    setWindowIcon(QIcon(ToQString(CToolsHelp::GetProgramDir() + "images/Main/Nimbra.ico")));
    SetLanguage();
    QFont font(ToQString("宋体"));
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    m_pTag->setFont(font);
    m_pTag->clear();
    m_pDescription->clear();
    // The rich edit and the multi-line edit have no length limit of their own in Qt.
    connect(m_pTag, &QTextEdit::textChanged, this, [this] {
        if (m_pTag->toPlainText().size() > kTagLimit) {
            m_pTag->setPlainText(m_pTag->toPlainText().left(kTagLimit));
            m_pTag->moveCursor(QTextCursor::End);
        }
    });
    connect(m_pDescription, &QPlainTextEdit::textChanged, this, [this] {
        if (m_pDescription->toPlainText().size() > kDescriptionLimit) {
            m_pDescription->setPlainText(m_pDescription->toPlainText().left(kDescriptionLimit));
            m_pDescription->moveCursor(QTextCursor::End);
        }
    });
    m_pTag->setFocus();
    qApp->installEventFilter(this);
    resize(458, 500);
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    return true;
}

bool CUICUploadDlg::SetLanguage() {
    setWindowTitle(ToQString(Text("IDS_UPLOAD_TITLE_MAIN")));
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_CANECL, "IDS_UPLOAD_BUTTON_CANECL", kSection);
    CToolsHelp::SetDlgItemTextA(this, IDC_STATIC_LIST_CAPTION, "IDS_UPLOAD_STATIC_TEXT2", kSection);
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_NEXT, "IDS_UPLOAD_BUTTON_NEXT", kSection);
    return true;
}

bool CUICUploadDlg::PostDestroyWin() {
    LOG_INFO("CUICUploadDlg::PostDestroyWin", "PostDestroyWin");
    return true;
}

void CUICUploadDlg::CreateList() {
    m_pList->InsertColumn(0, 20, Qt::AlignLeft);
    m_pList->InsertColumn(1, 280, Qt::AlignLeft);
    m_pList->InsertColumn(2, 40, Qt::AlignRight);
    m_pList->InsertColumn(3, 16, Qt::AlignRight);
    m_pList->InsertColumn(4, 40, Qt::AlignRight);
    m_pList->SetRowHeight(kRowHeight);
    m_folderMarks = {IconResource("folder.png")};
    m_deleteFaces = {IconResource("delete.png"), IconResource("delete-hot.png"),
                     IconResource("delete-down.png")};
    m_pList->SetColumnImageList(0, &m_fileIcons);
    m_pList->SetColumnImageList(3, &m_folderMarks);
    m_pList->SetColumnImageList(4, &m_deleteFaces);
}

// --- Document and limits ---

int CUICUploadDlg::SetUploadParam(const std::string& doc, long flag) {
    LOG_FUNCTION("CUICUploadDlg::SetUploadParam");
    m_rules.BlockedPaths().clear();
    // The flag says whether the upload goes into the host's current folder or into a chosen goal.
    m_bIsCurDir = flag != 0;
    SetParamsOfUploadFiles(doc);
    ShowSize();
    Clear();
    return 0;
}

int CUICUploadDlg::SetParamsOfUploadFiles(const std::string& doc) {
    LOG_FUNCTION("CUICUploadDlg::SetParamsOfUploadFiles");
    if (doc.size() < 2) {
        m_bIsCurDir = false;
        return 0;
    }
    m_strCatalogDoc = doc;
    ParseXML(doc);
    return m_rules.SetLimits(doc);
}

bool CUICUploadDlg::ParseXML(const std::string& doc) {
    if (m_catalog.ParseXML(doc, Text("IDS_UPLOAD_INFO_MYFOLDER"), m_bIsCurDir) !=
        CCatalogDocument::ParseResult::BuildTree) {
        return false;
    }
    bool matched = false;
    for (const auto& record : m_catalog.Records()) {
        m_pCombo->SetItemData(m_pCombo->AddPath(record->strPath), record.get());
        matched = matched || record->strPath == m_catalog.CurrentPath();
    }
    std::string path = Backslashed(m_catalog.CurrentPath());
    if (path.empty() && !matched) {
        path = "我的网盘\\我的文件夹";
    }
    m_catalog.SetCurrentPath(path);
    m_pCombo->SelectPath(path, true);
    return true;
}

void CUICUploadDlg::ShowSize() {
    m_ui->staticSpareSize->setText(
        ToQString(FormatLangText(Text("IDS_UPLOAD_INFO_SPARESIZE"), {MakeSize(m_rules.SpareSize())})));
    m_ui->staticUploadSize->setText(
        ToQString(FormatLangText(Text("IDS_UPLOAD_INFO_UPLOADSIZE"), {MakeSize(m_rules.MaxTotalSize())})));
}

void CUICUploadDlg::RefreshSize() {
    std::string error;
    if (m_rules.ResultCode() != 0) {
        error = FormatLangText(Text("IDS_UPLOAD_INFO_SEVERRETURNFAIL"), {});
    } else if (m_rules.ListedTotal() > m_rules.MaxTotalSize()) {
        error = FormatLangText(Text("IDS_UPLOAD_INFO_ERROR"), {MakeSize(m_rules.MaxTotalSize())});
    }
    const bool failed = m_rules.ResultCode() != 0 || !error.empty();
    m_ui->staticSpareSize->setVisible(!failed);
    m_ui->staticUploadSize->setVisible(!failed);
    m_ui->staticSizeError->setVisible(failed);
    if (failed) {
        m_ui->staticSizeError->setText(ToQString(error));
        return;
    }
    m_ui->staticUploadSize->setText(
        ToQString(FormatLangText(Text("IDS_UPLOAD_INFO_REFRESHSIZE"),
                                 {MakeSize(m_rules.ListedTotal()), MakeSize(m_rules.MaxTotalSize())})));
}

// --- The goal ---

void CUICUploadDlg::OnCbnSelendokComboGoalcatalog() {
    QTreeWidgetItem* item = m_pCombo->GetSelectedItem();
    if (!item) {
        m_bGoalSelected = false;
        return;
    }
    m_bGoalSelected = true;
    m_catalog.ChooseGoal(static_cast<const stCatalog*>(m_pCombo->GetItemData(item)));
    const std::string path = Backslashed(m_pCombo->GetFullPath(item));
    m_catalog.SetCurrentPath(path);
    m_pCombo->SelectPath(path, true);
    WriteUploadPath("netdiskdownload", path);
    m_catalog.SetCurrentPath({});
}

void CUICUploadDlg::WriteUploadPath(const char* key, const std::string& path) {
    if (!WritePrivateProfileString("PREPATH", key, path.c_str(), ConfigFile().c_str())) {
        LOG_FAILED("CUICUploadDlg::WriteUploadPath", "WritePrivateProfileString");
    }
}

// --- The list ---

std::vector<tagUploadRow> CUICUploadDlg::Rows() const {
    std::vector<tagUploadRow> rows;
    rows.reserve(m_vecRows.size());
    for (const auto& row : m_vecRows) {
        rows.push_back(*row);
    }
    return rows;
}

bool CUICUploadDlg::IsAlikeFileName(const std::string& name) const {
    for (int row = 0; row < m_pList->GetItemCount(); ++row) {
        if (m_pList->GetItemText(row, 1) == name) {
            return true;
        }
    }
    return false;
}

void CUICUploadDlg::AddRow(std::unique_ptr<tagUploadRow> record, const std::string& sizeText) {
    const QFileIconProvider icons;
    m_fileIcons.push_back(icons.icon(QFileInfo(ToQString(record->strPath))).pixmap(16, 16));
    record->nIcon = static_cast<int32_t>(m_fileIcons.size()) - 1;
    const int row = m_pList->InsertItem(m_pList->GetItemCount(), "");
    m_pList->SetItemData(row, reinterpret_cast<LPARAM>(record.get()));
    m_pList->SetItemImage(row, 0, record->nIcon);
    m_pList->SetItemButton(row, 4, "", LIST_BUTTON_ID);
    m_pList->SetItemButtonImages(row, 4, 0, 1, 2, -1);
    m_pList->SetItemText(row, 1, record->Name());
    m_pList->SetItemText(row, 2, sizeText);
    m_vecRows.push_back(std::move(record));
}

void CUICUploadDlg::AddFileRow(const std::string& path, uint64_t size) {
    auto record = std::make_unique<tagUploadRow>();
    record->strPath = path;
    // A name already listed is skipped without a word: the user chose it before.
    if (IsAlikeFileName(record->Name())) {
        return;
    }
    record->ullSize = size;
    m_rules.AddListed(record->ullSize);
    const std::string sizeText = "(" + MakeSize(record->ullSize) + ")";
    AddRow(std::move(record), sizeText);
}

void CUICUploadDlg::OnBnClickedButtonChoose() {
    LOG_FUNCTION("CUICUploadDlg::OnBnClickedButtonChoose");
    FileDialogOptions options;
    options.filter = "(*.*)|*.*|(*.doc)|*.doc|(*.txt)|*.txt|";
    const std::vector<std::string> files = Services::GetPrompts().OpenFiles(this, options);
    if (!files.empty()) {
        for (const std::string& path : files) {
            AddFileRow(path, FileSize(path));
        }
        if (m_pList->GetItemCount() == 0) {
            ShowTip(m_ui->buttonChoose, Text("IDS_UPLOAD_INFO_CURRENTNOFILE"));
            return;
        }
    }
    m_pList->show();
    RefreshSize();
}

void CUICUploadDlg::OnBnClickedButtonCatalog() {
    LOG_FUNCTION("CUICUploadDlg::OnBnClickedButtonCatalog");
    const std::string goalPath = m_pCombo->GetSelectedPath();
    m_nGoalDepth = static_cast<int>(std::count(goalPath.begin(), goalPath.end(), '\\'));
    std::string folder = Services::GetPrompts().BrowseFolder(this, "请选择目录", {});
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (folder.empty()) {
        RefreshSize();
        return;
    }
    const tagFolderScan scan = ScanFolder(folder, m_nGoalDepth);
    for (const auto& row : m_vecRows) {
        if (row->strPath == folder) {
            return;
        }
    }
    auto record = std::make_unique<tagUploadRow>();
    record->strPath = folder;
    record->bFolder = true;
    const std::string name = record->Name();
    m_folderUpload.AddSize(scan.ullBytes, folder);
    m_rules.AddListed(scan.ullBytes);
    AddRow(std::move(record), "(" + MakeSize(scan.ullBytes) + ")");
    const int row = m_pList->GetItemCount() - 1;
    if (scan.bTooDeep) {
        RefuseFolderRow(row, folder, "IDS_UPLOAD_INFO_CATALOG_BAG");
    } else if (HasCatalogNamed(goalPath, name)) {
        RefuseFolderRow(row, folder, "IDS_UPLOAD_INFO_CATALOG_SAMENAME");
    }
    m_pList->show();
    RefreshSize();
}

bool CUICUploadDlg::HasCatalogNamed(const std::string& parentPath, const std::string& name) const {
    return m_catalog.AnyPathEquals(parentPath + "\\" + name);
}

void CUICUploadDlg::RefuseFolderRow(int row, const std::string& path, const char* key) {
    const std::string message = Text(key);
    m_pList->SetItemImage(row, 3, 0);
    const QRect cell = m_pList->CellRect(row, 0);
    const QPoint point(m_pList->viewport()->width() - 40, cell.top());
    Services::GetSkin().ShowBalloonTip(m_pList->viewport()->mapToGlobal(point), "", message, TTI_NONE);
    m_rules.BlockedPaths().push_back({path, message});
}

long CUICUploadDlg::setUpLoadDropCatalog(const std::vector<std::string>& folders) {
    static const char* const kName = "CUICUploadDlg::setUpLoadDropCatalog";
    LOG_FUNCTION(kName);
    if (m_catalog.CurrentPath().empty()) {
        m_catalog.SetCurrentPath("我的网盘\\我的文件夹");
    }
    const std::string goalPath = m_catalog.CurrentPath();
    const auto refuse = [this](const char* text) {
        Services::GetPrompts().MessageBox(this, text, "提示：", MB_OK | MB_ICONINFORMATION);
        return -1;
    };
    // Every folder is checked before any is added: a refused drop leaves nothing behind to start later.
    std::vector<uint64_t> sizes;
    for (const std::string& folder : folders) {
        const tagFolderScan scan = ScanFolder(folder, m_nGoalDepth);
        if (scan.bTooDeep) {
            return refuse("该文件夹的总层级超过网盘的目录层级的最大限制，请修改后在上传！");
        }
        if (HasCatalogNamed(goalPath, tagUploadRow{folder}.Name())) {
            return refuse("与现有的网盘文件（夹）重名，请修改后在上传！");
        }
        sizes.push_back(scan.ullBytes);
    }
    for (size_t i = 0; i < folders.size(); ++i) {
        m_folderUpload.AddSize(sizes[i], folders[i]);
        m_folderUpload.AddTask(FolderTask(folders[i], goalPath, {}));
    }
    m_folderUpload.Start();
    return 0;
}

LRESULT CUICUploadDlg::OnListClickCloumnDel(WPARAM /*wParam*/, LPARAM lParam) {
    const auto* notify = reinterpret_cast<const tagListNotify*>(lParam);
    if (!notify || notify->bCancel || notify->nEvent != LIST_LBUTTONDOWN || notify->nID != LIST_BUTTON_ID) {
        return 0;
    }
    const int row = m_pList->GetSelectedRow();
    if (row >= 0 && row < static_cast<int>(m_vecRows.size())) {
        if (m_vecRows[row]->bFolder) {
            m_rules.RemoveListed(m_folderUpload.SizeOf(m_vecRows[row]->strPath));
        }
        m_rules.RemoveListed(m_vecRows[row]->ullSize);
        m_pList->DeleteItem(row);
        m_vecRows.erase(m_vecRows.begin() + row);
    }
    RefreshSize();
    return 0;
}

void CUICUploadDlg::ClearList() {
    m_pTag->clear();
    m_pDescription->clear();
    m_pList->DeleteAllItems();
    m_vecRows.clear();
    m_fileIcons.clear();
    m_rules.ClearListed();
    RefreshSize();
    ResetTarget();
}

void CUICUploadDlg::ResetTarget() {
    m_catalog.SetTargetID({});
    m_strDescription.clear();
    m_strTag.clear();
}

void CUICUploadDlg::Clear() {
    ClearList();
    m_ui->staticSpareSize->show();
    m_ui->staticUploadSize->show();
    m_ui->staticSizeError->hide();
}

void CUICUploadDlg::OnBnClickedButtonCanecl() {
    Clear();
    m_catalog.ClearRecords();
    m_pCombo->DeleteAllItems();
    reject();
}

void CUICUploadDlg::closeEvent(QCloseEvent* event) {
    Clear();
    m_catalog.ClearRecords();
    m_pCombo->DeleteAllItems();
    m_pCombo->HideDropDown();
    CToolsHelp::EnableDlgItem(this, IDC_BUTTON_CHOOSE, true);
    CToolsHelp::EnableDlgItem(this, IDC_BUTTON_CATALOG, true);
    CResizableDialog::closeEvent(event);
}

void CUICUploadDlg::HideWindow() {
    hide();
    CUICPropertyDlg* property = UISingleton<CUICPropertyDlg>::Existing();
    if (property && property->IsInitialized()) {
        property->HideWindow();
    }
}

// --- Checks ---

void CUICUploadDlg::ShowTip(QWidget* anchor, const std::string& text) {
    ShowTipAt(anchor, text);
}

void CUICUploadDlg::ShowUploadTip(const std::string& text) {
    ShowTip(m_pUpload, text);
}

bool CUICUploadDlg::ShowVerdict(const RuleVerdict& verdict, QWidget* focus) {
    switch (verdict.kind) {
        case RuleVerdict::Kind::Passed:
            return true;
        case RuleVerdict::Kind::Tip:
            ShowUploadTip(verdict.tip);
            break;
        case RuleVerdict::Kind::SpaceInsufficient:
            if (IUICNetDisk* netDisk = GetHostInterface<IUICNetDisk>(IID_IUICNetDisk)) {
                netDisk->ShowSpaceInsufficient();
            } else {
                LOG_NULL("CUICUploadDlg::IsRight", "pIUICNetDisk");
            }
            return false;
        case RuleVerdict::Kind::FullWidth:
            ShowFullWidthRefusal(this, m_pTag, verdict.positions);
            return false;
        case RuleVerdict::Kind::Silent:
            return false;
    }
    if (focus) {
        focus->setFocus();
    }
    return false;
}

bool CUICUploadDlg::IsRight() {
    if (!m_pUpload) {
        return false;
    }
    return ShowVerdict(m_rules.IsRight(Rows()), nullptr);
}

bool CUICUploadDlg::IsTagLegal() {
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL("CUICUploadDlg::IsTagLegal", "pIUICLogin");
        return false;
    }
    return ShowVerdict(CUploadRules::IsTagLegal(TagText(), login->GetUnsafeWords()), m_pTag);
}

bool CUICUploadDlg::IsDescriptionLegal() {
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL("CUICUploadDlg::IsDescriptionLegal", "pIUICLogin");
        return false;
    }
    return ShowVerdict(CUploadRules::IsDescriptionLegal(DescriptionText(), login->GetUnsafeWords()),
                       m_pDescription);
}

std::string CUICUploadDlg::TagText() const {
    return FromQString(m_pTag->toPlainText());
}

std::string CUICUploadDlg::DescriptionText() const {
    return FromQString(m_pDescription->toPlainText());
}

void CUICUploadDlg::GetFileProperty() {
    m_strTag = CUploadRules::FormatTag(TagText());
    m_strDescription = DescriptionText();
}

// --- Uploading ---

void CUICUploadDlg::OnBnClickedButtonUpload() {
    static const char* const kName = "CUICUploadDlg::OnBnClickedButtonUpload";
    LOG_FUNCTION(kName);
    const CWaitCursor wait;
    OnCbnSelendokComboGoalcatalog();
    if (!m_bGoalSelected) {
        return;
    }
    GetFileProperty();
    if (!IsRight()) {
        return;
    }
    // Folder rows are the folder upload's; the engine takes the files.
    std::vector<tagPendingFile> files;
    std::vector<std::string> folders;
    for (const auto& row : m_vecRows) {
        if (row->bFolder) {
            folders.push_back(row->strPath);
        } else {
            tagPendingFile file;
            file.strPath = row->strPath;
            file.ullSize = row->ullSize;
            files.push_back(std::move(file));
        }
    }
    if (!IsTagLegal() || !IsDescriptionLegal()) {
        return;
    }
    m_vecFiles = std::move(files);
    const std::string goalPath = m_pCombo->GetSelectedPath();
    if (goalPath.empty()) {
        Services::GetPrompts().MessageBox(this, Text("IDS_UPLOAD_INFO_NOEXIST"),
                                          CToolsHelp::GetString("IDS_GLOBAL_INFO_CONFIRM", "GLOBAL"),
                                          MB_OK | MB_ICONINFORMATION);
        return;
    }
    CMiniature::CreateMiniature(m_vecFiles, CToolsHelp::GetProgramDir());
    const bool filesStarted = m_vecFiles.empty() || UploadFile();
    if (!folders.empty()) {
        for (const std::string& folder : folders) {
            m_folderUpload.AddTask(FolderTask(folder, goalPath, m_strTag));
        }
        m_folderUpload.Start();
    }
    if (!filesStarted) {
        return;
    }
    PrepareProgressDlg();
    hide();
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (!component || component->ShowTransmit(1) == -1) {
        return;
    }
    WriteUploadPath("upload", goalPath);
}

// The component hands out the transfer list only with its window, and keeps both for the process.
IFolderTransferList* CUICUploadDlg::FolderTransferList() {
    return GetTransmitDlg();
}

IUIPUpload* CUICUploadDlg::UploadAdapter() {
    return CreateUIInstance<IUIPUpload>();
}

IUICNetDisk* CUICUploadDlg::NetDiskPage() {
    return GetHostInterface<IUICNetDisk>(IID_IUICNetDisk);
}

bool CUICUploadDlg::HasComponent() {
    return CreateUIInstance<CUICUploadComp>() != nullptr;
}

void CUICUploadDlg::Later(std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

bool CUICUploadDlg::ShowTransferList() {
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (component) {
        component->ShowTransmit(1);
    }
    return component != nullptr;
}

CUICTransmitDlg* CUICUploadDlg::GetTransmitDlg() {
    if (!m_pDlgTransmit) {
        if (CUICUploadComp* component = CreateUIInstance<CUICUploadComp>()) {
            m_pDlgTransmit = component->GetTransmitDlg();
        }
    }
    return m_pDlgTransmit;
}

bool CUICUploadDlg::UploadFile() {
    static const char* const kName = "CUICUploadDlg::UploadFile";
    LOG_FUNCTION(kName);
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return false;
    }
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (!component) {
        LOG_NULL(kName, "pUICUpload");
        return false;
    }
    component->ShowTransmit(1);
    if (!GetTransmitDlg()) {
        LOG_NULL(kName, "m_pDlgTransmit");
        return false;
    }
    m_ullTotalBytes = 0;
    m_ullLastBytes = 0;
    const std::string goalPath = m_bIsCurDir ? m_catalog.CurrentDirPath() : m_pCombo->GetSelectedPath();
    UploadFileList entries = UploadEntries(m_vecFiles, m_strDescription, goalPath);
    m_ullTotalBytes = TotalSize(m_vecFiles);
    if (adapter->GetUIPState() == 0) {
        ShowUploadTip(Text("IDS_UPLOAD_TIP_BUSY"));
        return false;
    }
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL(kName, "pIUICLogin");
        return false;
    }
    tagUploadInfo info = m_catalog.Server();
    info.strSSOKey = login->GetLoginString();
    info.strTargetCatalogID = UploadParentID();
    info.strNewCatalogName.clear();
    info.strTag = m_strTag;
    if (adapter->StartUpload(entries, info, 0) == -1) {
        LOG_FAILED(kName, "StartUpload");
    }
    const size_t started = CollectTaskIds(entries, m_setTaskIds);
    // Nothing started is no upload: the dialog keeps the list for another try.
    if (started == 0) {
        ShowUploadTip(Text("IDS_UPLOAD_TIP_BUSY"));
        return false;
    }
    if (!m_bIsCurDir) {
        m_timers.SetTimer(TIMER_UPLOAD_FILE, 1000);
    }
    return true;
}

std::string CUICUploadDlg::UploadParentID() const {
    const std::string& target = m_catalog.TargetID();
    return target.empty() || target == ROOT_CATALOG_ID || target == "root" ? m_catalog.GoalID() : target;
}

tagCatalogTask CUICUploadDlg::FolderTask(const std::string& path, const std::string& goalPath,
                                         const std::string& tag) const {
    tagCatalogTask task;
    task.strPath = path;
    task.strGoalPath = goalPath;
    task.strParentID = UploadParentID();
    task.strTag = tag;
    return task;
}

void CUICUploadDlg::OnTimer(unsigned id) {
    if (id == TIMER_UPLOAD_FILE) {
        TUploadFile();
    } else if (id == TIMER_UPLOAD_CATALOG) {
        m_folderUpload.TUploadCatalog();
    }
}

void CUICUploadDlg::TUploadFile() {
    static const char* const kName = "CUICUploadDlg::TUploadFile";
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return;
    }
    const tagUploadTick tick = PollUploadTasks(*adapter, m_setTaskIds);
    const uint64_t sum = tick.ullSum;
    const bool running = tick.bRunning;
    const int32_t succeeded = tick.nSucceeded;
    const int32_t failed = tick.nFailed;
    if (running) {
        const tagUploadProgressText progress = UploadRunning(sum);
        if (m_pDlgProgress) {
            m_pDlgProgress->ShowProgress({progress.strText, progress.nPercent, 1});
        } else {
            LOG_NULL(kName, "m_pDlgProgress");
        }
    } else {
        ClearList();
        // The ended report carries the outcome; the bar shows it once its window is shown.
        if (m_pDlgProgress) {
            m_pDlgProgress->ShowProgress({UploadComplete(succeeded, failed), 100, 0});
        }
        m_timers.KillTimer(TIMER_UPLOAD_FILE);
        NotifyFlashRefresh();
        m_setTaskIds.clear();
        reject();
    }
    m_ullLastBytes = sum;
}

tagUploadProgressText CUICUploadDlg::UploadRunning(uint64_t sum) {
    tagUploadProgressText progress;
    progress.nPercent = UploadPercent(sum, m_ullTotalBytes);
    const uint64_t speed = sum > m_ullLastBytes ? sum - m_ullLastBytes : 0;
    progress.strText = UploadRunningText(progress.nPercent, MakeSize(speed));
    return progress;
}

std::string CUICUploadDlg::UploadComplete(int32_t succeeded, int32_t failed) const {
    return UploadCompleteText(succeeded, failed);
}

void CUICUploadDlg::NotifyFlashRefresh() {
    const std::string& target = m_catalog.TargetID();
    RequestNetDiskRefresh(target.empty() ? "-2" : target, "CUICUploadDlg::NotifyFlashRefresh");
}

long CUICUploadDlg::UploadDragFilesToNetDisk(const std::vector<std::string>& files) {
    static const char* const kName = "CUICUploadDlg::UploadDragFilesToNetDisk";
    LOG_FUNCTION(kName);
    const std::string caption = CToolsHelp::GetString("IDS_GLOBAL_INFO_CONFIRM", "GLOBAL");
    const auto refuse = [&](const std::string& text) {
        Services::GetPrompts().MessageBox(this, text, caption, MB_OK | MB_ICONINFORMATION);
        return -1;
    };
    std::vector<tagUploadRow> rows;
    for (const std::string& path : files) {
        rows.push_back({path, FileSize(path), -1, false});
    }
    // The dialog may be hidden: a refusal is a message box rather than a tip.
    const RuleVerdict verdict = m_rules.IsDropRight(rows);
    if (verdict.kind == RuleVerdict::Kind::Tip) {
        return refuse(verdict.tip);
    }
    if (!ShowVerdict(verdict, nullptr)) {
        return -1;
    }
    m_vecFiles.clear();
    for (const tagUploadRow& row : rows) {
        tagPendingFile file;
        file.strPath = row.strPath;
        file.ullSize = row.ullSize;
        m_vecFiles.push_back(std::move(file));
    }
    CMiniature::CreateMiniature(m_vecFiles, CToolsHelp::GetProgramDir());
    if (m_vecFiles.empty() || !UploadFile()) {
        return -1;
    }
    PrepareProgressDlg();
    return 0;
}

void CUICUploadDlg::PrepareProgressDlg() {
    PrepareProgressBar(m_pDlgProgress, this, "CUICUploadDlg::PrepareProgressDlg");
}

// --- The property step ---

void CUICUploadDlg::OnBnClickedButtonNext() {
    static const char* const kName = "CUICUploadDlg::OnBnClickedButtonNext";
    LOG_FUNCTION(kName);
    // The property dialog uploads files only; folders go from here.
    for (const auto& row : m_vecRows) {
        if (row->bFolder) {
            ShowTip(m_ui->buttonNext, Text("IDS_UPLOAD_INFO_NEXT_FILESONLY"));
            return;
        }
    }
    OnCbnSelendokComboGoalcatalog();
    if (!m_bGoalSelected || !IsRight()) {
        return;
    }
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    CUICPropertyDlg* property = component ? component->GetPropertyDlg() : nullptr;
    if (!property) {
        LOG_NULL(kName, "pDlgProperty");
        return;
    }
    tagPropertyStep step;
    step.strCatalogDoc = m_strCatalogDoc;
    step.server = m_catalog.Server();
    for (const auto& row : m_vecRows) {
        tagPendingFile file;
        file.strPath = row->strPath;
        file.ullSize = row->ullSize;
        step.files.push_back(std::move(file));
    }
    step.strTag = TagText();
    step.strDescription = DescriptionText();
    step.strTargetID = UploadParentID();
    step.strTargetPath = m_pCombo->GetSelectedPath();
    property->SetUploadStep(this, std::move(step));
    // The files travel with the step: listed here as well, they would come back twice.
    ClearList();
    hide();
    property->show();
    property->raise();
    property->activateWindow();
}

void CUICUploadDlg::ReturnFromProperty(const std::string& tag, const std::string& description,
                                       const std::string& targetPath,
                                       const std::vector<tagPendingFile>& files) {
    LOG_FUNCTION("CUICUploadDlg::ReturnFromProperty");
    m_pTag->setPlainText(ToQString(tag));
    m_pDescription->setPlainText(ToQString(description));
    // A folder made in the target dialog is not in this tree yet: the goal stays as it was.
    m_pCombo->SelectPath(targetPath, true);
    for (const tagPendingFile& file : files) {
        AddFileRow(file.strPath, file.ullSize);
    }
    m_pList->show();
    RefreshSize();
}

// --- Window plumbing ---

void CUICUploadDlg::OnSize(int type, int cx, int cy) {
    CResizableDialog::OnSize(type, cx, cy);
    if (type == SIZE_RESTORED || type == SIZE_MAXIMIZED) {
        const QRect hor = m_ui->splitterHor->geometry();
        const QRect ver = m_ui->splitterVer->geometry();
        PostMessage(this, WM_SPLITTER_HOR_RANGE, static_cast<WPARAM>(hor.top()), hor.top() + hor.height());
        PostMessage(this, WM_SPLITTER_VER_RANGE, static_cast<WPARAM>(ver.left()), ver.left() + ver.width());
    }
}

LRESULT CUICUploadDlg::OnSplitterHorRange(WPARAM top, LPARAM bottom) {
    m_ui->splitterHor->SetRange(std::max(static_cast<int>(top) - 200, 0),
                                std::max(height() - static_cast<int>(bottom) - 150, 0));
    return 0;
}

LRESULT CUICUploadDlg::OnSplitterVerRange(WPARAM left, LPARAM right) {
    m_ui->splitterVer->SetRange(std::max(static_cast<int>(left) - 120, 0),
                                std::max(width() - static_cast<int>(right) - 450, 0));
    return 0;
}

LRESULT CUICUploadDlg::OnSkinMagicExMsg(WPARAM /*wParam*/, LPARAM lParam) {
    const auto* notify = reinterpret_cast<const tagSkinNotify*>(lParam);
    if (!notify || notify->nCode != SKIN_NOTIFY_SPLITTER || notify->nSubCode != SKIN_SPLITTER_MOVED) {
        return 0;
    }
    const int delta = notify->nDelta;
    if (notify->nCtrlID == IDC_SPLITTER_HOR) {
        m_ui->staticListCaption->move(m_ui->staticListCaption->pos() + QPoint(0, delta));
        m_ui->staticListCaption->repaint();
    } else if (notify->nCtrlID == IDC_SPLITTER_VER) {
        m_ui->splitterHor->resize(m_ui->splitterHor->width() - delta, m_ui->splitterHor->height());
        for (QLabel* label : {m_ui->staticGoalCatalog, m_ui->staticListCaption, m_ui->staticSpareSize,
                              m_ui->staticUploadSize, m_ui->staticSizeError}) {
            label->move(label->pos() + QPoint(delta, 0));
            label->repaint();
        }
    }
    return 0;
}

bool CUICUploadDlg::event(QEvent* event) {
    return m_messages.Dispatch(event) || CResizableDialog::event(event);
}

bool CUICUploadDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) {
        return CResizableDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnBnClickedButtonUpload();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && m_pCombo->IsDropDownVisible() &&
               !m_pCombo->isAncestorOf(widget) && widget != m_pCombo) {
        // A click elsewhere in the dialog closes the open drop-down, which covers the browse buttons.
        m_pCombo->HideDropDown();
    }
    return CResizableDialog::eventFilter(watched, event);
}
