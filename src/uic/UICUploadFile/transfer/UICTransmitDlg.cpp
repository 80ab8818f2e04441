#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <algorithm>
#include <filesystem>
#include <unordered_set>

#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/ProgramDir.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "platform/Sound.h"
#include "ui_10026.h"
#include "uic/UICUploadFile/controls/SkinControlPanel.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/SizeFormat.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/thumbnail/Miniature.h"
#include "uic/UICUploadFile/transfer/TransferListModel.h"
#include "uic/UICUploadFile/transfer/TransferProgress.h"
#include "uic/UICUploadFile/transfer/TransferSort.h"
#include "uic/UICUploadFile/transfer/TransferText.h"
#include "uic/UICUploadFile/transfer/UICSuspendDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"

// Resources of a static library join the application only when asked for by name.
static void InitTransmitResources() {
    Q_INIT_RESOURCE(transmit);
}

namespace {

constexpr int kDialogWidth = 458;
constexpr int kDialogHeight = 500;
constexpr int kMinColumnWidth = 20;
constexpr int kTopUnitWidth = 90;  // units at x 0, 90 and 180
constexpr int kLeftUnitHeight = 30;
constexpr const char* kUploadRequestPath = "lumenoApp/share/pc_uploadFileRequest";

bool IsProgressView(int view) {
    return view != IDC_VIEW_DOWNLOADED && view != IDC_VIEW_UPLOADED;
}

// The local path without its file name and the separator before it.
std::string DirectoryOf(const std::string& path, const std::string& name) {
    return path.size() > name.size() ? path.substr(0, path.size() - name.size() - 1) : std::string();
}

// Records that the list must look at in a refresh: waiting or running ones.
bool IsLive(int32_t state) {
    return state == TASK_WAITING || state == TASK_RUNNING;
}

// States that keep the list on screen when nothing runs any more.
bool KeepsListShown(int32_t state) {
    return state == TASK_WAITING || state == TASK_PAUSED || state == TASK_FAILED || state == TASK_OTHER ||
           state == TASK_NEW;
}

CUICUploadComp* Component() {
    return CreateUIInstance<CUICUploadComp>();
}

}  // namespace

CUICTransmitDlg::CUICTransmitDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_TRANSMIT, parent),
      m_ui(std::make_unique<Ui::TransmitDlgForm>()),
      m_timers([this](unsigned id) { OnTimer(id); }, this) {
    m_ui->setupUi(this);
    // WM_USER + 10002 and + 10003, posted by the component.
    m_messages.On(WM_START_DOWNFILE, [this](WPARAM w, LPARAM l) { return OnStartDownFile(w, l); });
    m_messages.On(WM_START_UPLOADFILE, [this](WPARAM w, LPARAM l) { return OnStartUploadFile(w, l); });
}

CUICTransmitDlg::~CUICTransmitDlg() {
    m_timers.KillAll();
}

bool CUICTransmitDlg::OnInitDialog() {
    static const char* const kName = "CUICTransmitDlg::OnInitDialog";
    LOG_FUNCTION(kName);
    Services::GetSkin().ApplySkin(this, "DlgTransmit");
    CResizableDialog::OnInitDialog();
    SC_ORVA::RegisterWindow(this);
    setWindowIcon(QIcon(QString::fromStdString(ProgramDirUtf8() + "images/Main/Nimbra.ico")));
    if (!CreateCtrl() || !InitUIP()) {
        return false;
    }
    MoveCtrl();
    InitCtrl();
    SetLanguage();
    resize(kDialogWidth, kDialogHeight);
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    return true;
}

void CUICTransmitDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize = info->ptMinTrackSize.expandedTo(QSize(kDialogWidth, kDialogHeight));
    CResizableDialog::OnGetMinMaxInfo(info);
}

void CUICTransmitDlg::OnSize(int type, int cx, int cy) {
    CResizableDialog::OnSize(type, cx, cy);
    if (m_pList && (type == SIZE_RESTORED || type == SIZE_MAXIMIZED)) {
        FitLastColumn();
    }
}

bool CUICTransmitDlg::CreateCtrl() {
    m_pModel = new CTransferListModel(this);
    m_pList = new QTableView(this);
    SetDlgCtrlID(m_pList, IDC_LIST_SHOW);
    m_pList->setModel(m_pModel);
    m_pPanelTop = new CSkinControlPanel(IDC_PANEL_TOP, false, false, this);
    for (const int unit : {IDC_BUTTON_START, IDC_BUTTON_PAUSE, IDC_BUTTON_DELETE}) {
        m_pPanelTop->AddUnit(unit, kTopUnitWidth);
    }
    m_pPanelLeft = new CSkinControlPanel(IDC_PANEL_LEFT, true, true, this);
    for (const int unit :
         {IDC_VIEW_UPLOADING, IDC_VIEW_UPLOADED, IDC_VIEW_DOWNLOADING, IDC_VIEW_DOWNLOADED}) {
        m_pPanelLeft->AddUnit(unit, kLeftUnitHeight);
    }
    m_messages.On(WM_SKIN_NOTIFY, [this](WPARAM w, LPARAM l) { return OnSkinMagicExMsg(w, l); });
    return true;
}

bool CUICTransmitDlg::InitUIP() {
    static const char* const kName = "CUICTransmitDlg::InitUIP";
    LOG_FUNCTION(kName);
    m_pIUIPUpload = CreateUIInstance<IUIPUpload>();
    if (!m_pIUIPUpload) {
        LOG_NULL(kName, "m_pIUIPUpload");
        return false;
    }
    const long lRet = m_pIUIPUpload->InitUIPComp();
    if (lRet != 0) {
        LOG_FAILED(kName, "lRet");
        return false;
    }
    // The rows point into the maps that are about to be reloaded.
    if (m_pModel) {
        m_pModel->Clear();
    }
    m_mapUploadInfo.clear();
    m_mapDownloadInfo.clear();
    if (m_pIUIPUpload->GetTaskList(1, m_mapUploadInfo) == -1 ||
        m_pIUIPUpload->GetTaskList(0, m_mapDownloadInfo) == -1) {
        LOG_FAILED(kName, "GetTaskList");
        return false;
    }
    const bool downloading = std::any_of(m_mapDownloadInfo.begin(), m_mapDownloadInfo.end(),
                                         [](const auto& entry) { return IsLive(entry.second.nState); });
    if (downloading && !m_timers.IsActive(kDownloadTimer)) {
        m_timers.SetTimer(kDownloadTimer, kRefreshPeriod);
    }
    return true;
}

void CUICTransmitDlg::MoveCtrl() {
    resize(kDialogWidth, kDialogHeight);
    const int cw = width();
    const int ch = height();
    auto place = [this](int id, int left, int top, int right, int bottom) {
        if (QWidget* control = GetDlgItem(this, id)) {
            control->setGeometry(left, top, right - left, bottom - top);
        }
    };
    place(IDC_PANEL_TOP, 0, 0, cw, 54);
    place(IDC_FRAME_TRANSMIT_LEFT, 0, 47, 100, ch);
    place(IDC_STATIC_TRANSMIT, 0, 54, 99, 71);
    place(IDC_PANEL_LEFT, 0, 71, 99, ch - 1);
    place(IDC_FRAME_TRANSMIT_LIST, 99, 47, cw, ch);
    place(IDC_LIST_SHOW, 100, 54, cw, ch - 1);
    place(IDC_STATIC_TRANSMIT_ERROR, 0, ch, cw, ch);
    AnchorControl(GetDlgItem(this, IDC_PANEL_TOP), ANCHOR_TOPLEFT, ANCHOR_TOPRIGHT);
    AnchorControl(GetDlgItem(this, IDC_FRAME_TRANSMIT_LEFT), ANCHOR_TOPLEFT, ANCHOR_BOTTOMLEFT);
    AnchorControl(GetDlgItem(this, IDC_PANEL_LEFT), ANCHOR_TOPLEFT, ANCHOR_BOTTOMLEFT);
    AnchorControl(GetDlgItem(this, IDC_LIST_SHOW), ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);
    AnchorControl(GetDlgItem(this, IDC_FRAME_TRANSMIT_LIST), ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);
    AnchorControl(GetDlgItem(this, IDC_STATIC_TRANSMIT_ERROR), ANCHOR_BOTTOMLEFT, ANCHOR_BOTTOMRIGHT);
}

void CUICTransmitDlg::InitCtrl() {
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pList->setIconSize(QSize(20, 20));
    m_pList->verticalHeader()->hide();
    m_pList->verticalHeader()->setDefaultSectionSize(20);
    m_pList->setShowGrid(false);
    m_pList->setWordWrap(false);
    QHeaderView* header = m_pList->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(kMinColumnWidth);
    connect(header, &QHeaderView::sectionClicked, this, &CUICTransmitDlg::OnHdnItemclickListShow);
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) { OnSectionResized(column, newSize); });
    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CUICTransmitDlg::OnSelectionChanged);
    connect(m_pList, &QTableView::customContextMenuRequested, this,
            [this](const QPoint& point) { OnNMRclickListShow(m_pList->viewport()->mapToGlobal(point)); });
    connect(m_pList, &QTableView::doubleClicked, this, [this] { OnNMDblclkListShow(); });
    m_pList->installEventFilter(this);
    header->viewport()->installEventFilter(this);
    ResetImageList();
    SetColumns(true);
    // The list opens on the uploading view, the one every new upload lands in.
    m_nCurView = IDC_VIEW_UPLOADING;
    m_nPreView = IDC_VIEW_UPLOADING;
    m_pPanelLeft->CheckUnit(IDC_VIEW_UPLOADING);
    for (const int id : {IDC_BUTTON_START, IDC_BUTTON_PAUSE, IDC_BUTTON_DELETE}) {
        CToolsHelp::EnableDlgItem(this, id, false);
    }
}

void CUICTransmitDlg::SetColumns(bool progressView) {
    static constexpr const char* kFullKeys[] = {nullptr,
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_STATUS",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILENAME",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILESIZE",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_PROGRESS",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_SPEED",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_TIMELEFT",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_USEDTIME",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILEDIRECTORY",
                                                "IDS_UPLOAD_TRANSMIT_LISTHEAD_NETPACH"};
    const int listWidth = m_pList->contentsRect().width();
    std::vector<const char*> keys;
    std::vector<int> widths;
    if (progressView) {
        keys.assign(std::begin(kFullKeys), std::end(kFullKeys));
        const int half = (listWidth - 485) / 2;
        widths = {0, 50, 90, 75, 50, 70, 75, 75, half, half};
    } else {
        keys = {nullptr,      kFullKeys[1],
                kFullKeys[2], kFullKeys[3],
                kFullKeys[5], kFullKeys[6],
                kFullKeys[7], m_nCurView == IDC_VIEW_DOWNLOADED ? kFullKeys[8] : kFullKeys[9]};
        widths = {0, 50, 90, 75, 70, 75, 75, listWidth - 435};
    }
    QStringList headings;
    for (const char* key : keys) {
        headings << (key ? ToQString(UploadText(key)) : QString());
    }
    m_pModel->SetColumns(headings);
    m_bFittingColumns = true;
    for (size_t column = 0; column < widths.size(); ++column) {
        m_pList->setColumnWidth(static_cast<int>(column),
                                std::max(column == 0 ? 0 : kMinColumnWidth, widths[column]));
    }
    m_bFittingColumns = false;
}

void CUICTransmitDlg::FitLastColumn() {
    const int last = m_pModel->columnCount() - 1;
    if (last < 1) {
        return;
    }
    int others = 0;
    for (int column = 0; column < last; ++column) {
        others += m_pList->columnWidth(column);
    }
    m_bFittingColumns = true;
    m_pList->setColumnWidth(last, std::max(kMinColumnWidth, m_pList->contentsRect().width() - others));
    m_bFittingColumns = false;
}

void CUICTransmitDlg::OnSectionResized(int column, int newSize) {
    if (m_bFittingColumns) {
        return;
    }
    m_bFittingColumns = true;
    // Column 0 stays hidden at width 0; the header keeps every other column at its minimum or wider.
    if (column == 0 && newSize != 0) {
        m_pList->setColumnWidth(0, 0);
    }
    m_bFittingColumns = false;
}

bool CUICTransmitDlg::SetLanguage() {
    CToolsHelp::SetWindowTextA(this, "IDS_UPLOAD_TRANSMIT_TITLE", "UPLOAD");
    CToolsHelp::SetDlgItemTextA(this, IDC_VIEW_DOWNLOADING, "IDS_UPLOAD_TRANSMIT_DOWNLOADING", "UPLOAD");
    CToolsHelp::SetDlgItemTextA(this, IDC_VIEW_UPLOADING, "IDS_UPLOAD_TRANSMIT_UPLOADING", "UPLOAD");
    SetViewLabel(IDC_VIEW_DOWNLOADED, "IDS_UPLOAD_TRANSMIT_DOWNLOADED", 0);
    SetViewLabel(IDC_VIEW_UPLOADED, "IDS_UPLOAD_TRANSMIT_UPLOADED", 0);
    if (m_nUploadedExtra > 0) {
        SetViewLabel(IDC_VIEW_UPLOADED, "IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA", m_nUploadedExtra);
    }
    if (m_nDownloadedExtra > 0) {
        SetViewLabel(IDC_VIEW_DOWNLOADED, "IDS_UPLOAD_TRANSMIT_DOWNLOADED_EXTRA", m_nDownloadedExtra);
    }
    CToolsHelp::SetDlgItemTextA(this, IDC_STATIC_TRANSMIT, "IDS_UPLOAD_TRANSMIT_STATIC", "UPLOAD");
    static constexpr std::pair<int, const char*> kCommands[] = {
        {IDC_BUTTON_START, "IDS_UPLOAD_TRANSMIT_MENU_START"},
        {IDC_BUTTON_PAUSE, "IDS_UPLOAD_TRANSMIT_MENU_PAUSE"},
        {IDC_BUTTON_DELETE, "IDS_UPLOAD_TRANSMIT_MENU_DELETE"}};
    for (const auto& [id, key] : kCommands) {
        CToolsHelp::SetDlgItemTextA(this, id, key, "UPLOAD");
    }
    return true;
}

bool CUICTransmitDlg::PostDestroyWin() {
    LOG_INFO("CUICTransmitDlg::PostDestroyWin", "PostDestroyWin");
    return true;
}

void CUICTransmitDlg::SetViewLabel(int unit, const char* key, long count) {
    const std::string text = UploadText(key);
    if (QWidget* button = GetDlgItem(this, unit)) {
        button->setProperty("text", ToQString(count > 0 ? FormatCount(text, count) : text));
    }
}

long CUICTransmitDlg::IsUpload() const {
    return m_nCurView == IDC_VIEW_DOWNLOADING || m_nCurView == IDC_VIEW_DOWNLOADED ? 0 : 1;
}

void CUICTransmitDlg::AddUpload(const FileInfoList* pVector) {
    static const char* const kName = "CUICTransmitDlg::AddUpload";
    LOG_FUNCTION(kName);
    if (!pVector) {
        LOG_NULL(kName, "pVector");
        return;
    }
    for (const tagFileInfo& info : *pVector) {
        tagFileInfo& stored = m_mapUploadInfo[info.nFileID] = info;
        if (m_nCurView == IDC_VIEW_UPLOADING) {
            AddTask(stored, true);
        }
    }
    m_pModel->FlushChanges();
    if (!m_timers.IsActive(kUploadTimer)) {
        m_timers.SetTimer(kUploadTimer, kRefreshPeriod);
    }
    ShowSuspendDlg();
}

void CUICTransmitDlg::AddDownload(const tagFileInfo* pstInfo) {
    static const char* const kName = "CUICTransmitDlg::AddDownload";
    LOG_FUNCTION(kName);
    if (!pstInfo) {
        LOG_NULL(kName, "pstInfo");
        return;
    }
    tagFileInfo& stored = m_mapDownloadInfo[pstInfo->nFileID] = *pstInfo;
    if (!m_timers.IsActive(kDownloadTimer)) {
        m_timers.SetTimer(kDownloadTimer, kRefreshPeriod);
    }
    if (m_nCurView == IDC_VIEW_DOWNLOADING) {
        AddTask(stored, false);
        m_pModel->FlushChanges();
    }
    ShowSuspendDlg();
}

void CUICTransmitDlg::showUploadCatalog(const FileInfoList* pVector) {
    static const char* const kName = "CUICTransmitDlg::showUploadCatalog";
    LOG_FUNCTION(kName);
    if (!pVector) {
        LOG_NULL(kName, "pVector");
        return;
    }
    for (const tagFileInfo& info : *pVector) {
        m_mapUploadInfo[info.nFileID] = info;
    }
    if (!m_timers.IsActive(kUploadTimer) && !m_timers.IsActive(kCatalogTimer)) {
        m_timers.SetTimer(kCatalogTimer, kRefreshPeriod);
    }
    ShowSuspendDlg();
}

void CUICTransmitDlg::AddTask(tagFileInfo& record, bool isUpload) {
    const std::string name = CToolsHelp::GetFileName(record.strFilePath);
    record.strFileName = name;
    const int row = m_pModel->AppendRow(&record, GetImageIndexByState(record.nState, isUpload));
    m_pModel->SetText(row, 2, name);
    m_pModel->SetText(row, 3, MakeTransferSize(record.ullFileSize));
    m_pModel->SetText(row, 4, record.strProgress);
    m_pModel->SetText(row, 5, record.strSpeed);
    m_pModel->SetText(row, 6, record.strTimeLeft);
    m_pModel->SetText(row, 7, FormatTime(record.nUsedTime));
    m_pModel->SetText(row, 8, DirectoryOf(record.strFilePath, name));
}

void CUICTransmitDlg::EraseInfoByID(int32_t id) {
    if (id == 0) {
        return;
    }
    InfoMap(IsUpload() != 0).erase(id);
}

void CUICTransmitDlg::StartTimer() {
    const unsigned id = IsUpload() ? kUploadTimer : kDownloadTimer;
    if (!m_timers.IsActive(id)) {
        m_timers.SetTimer(id, kRefreshPeriod);
    }
}

void CUICTransmitDlg::OnTimer(unsigned id) {
    static const char* const kName = "CUICTransmitDlg::OnTimer";
    if (!m_pIUIPUpload) {
        LOG_NULL(kName, "m_pIUIPUpload");
        return;
    }
    switch (id) {
        case kUploadTimer:
            RefreshRecords(true);
            break;
        case kDownloadTimer:
            RefreshRecords(false);
            break;
        case kCatalogTimer:
            OnCatalogTimer();
            break;
        default:
            return;
    }
    RefreshShow();
}

void CUICTransmitDlg::RefreshRecords(bool isUpload) {
    if (isUpload) {
        m_bUploadRefresh = true;
    }
    bool live = false;
    bool show = false;
    uint64_t sizeSum = 0;
    uint64_t doneSum = 0;
    for (auto& [id, stored] : InfoMap(isUpload)) {
        const int32_t state = stored.nState;
        if (IsLive(state)) {
            tagFileInfo info = stored;
            if (m_pIUIPUpload->GetProgress(id, isUpload ? 1 : 0, info) != 0) {
                continue;
            }
            live = true;
            ComputeProgress(id, info, isUpload);
            if (state == TASK_RUNNING) {
                sizeSum += stored.ullFileSize;
                doneSum += info.ullDoneSize;
            }
        }
        if (KeepsListShown(state)) {
            show = true;
        }
    }
    if (isUpload) {
        UpdateCatalogFigures();
    }
    if (!live) {
        m_timers.KillTimer(isUpload ? kUploadTimer : kDownloadTimer);
        if (isUpload) {
            m_bUploadRefresh = false;
            if (CUICUploadComp* component = Component()) {
                component->NotifyFlashRefresh();
            } else {
                LOG_NULL("CUICTransmitDlg::OnTimer", "pUICUpload");
            }
        }
        setVisible(show);
    }
    ShowProgress(sizeSum > 0 ? static_cast<double>(doneSum) / static_cast<double>(sizeSum) * 100.0 : 0.0,
                 isUpload);
}

void CUICTransmitDlg::ComputeProgress(int32_t id, const tagFileInfo& info, bool isUpload) {
    static const char* const kName = "CUICTransmitDlg::ComputeProgress";
    FileInfoMap& records = InfoMap(isUpload);
    const auto found = records.find(id);
    if (found == records.end()) {
        LOG_NULL(kName, "pstFileInfo");
        return;
    }
    tagFileInfo& record = found->second;
    if (!isUpload) {
        record.ullFileSize = info.ullFileSize;
    }
    if (!m_pIUIPUpload) {
        LOG_NULL(kName, "m_pIUIPUpload");
        return;
    }
    record.nState = info.nState;
    if (record.nState == TASK_FAILED) {
        const long code = m_pIUIPUpload->GetErrorCode(id, isUpload ? 1 : 0);
        record.strError = GetErrorInfoByCode(code);
        if (code == 9476) {
            m_pIUIPUpload->SetSSOFlag(1);
        }
    } else if (record.nState == TASK_WAITING) {
        // Cut off by the network: the engine tries again by itself and says when.
        const long seconds = m_pIUIPUpload->GetNextTry(id, isUpload ? 1 : 0);
        record.strError = seconds >= 0 ? NextTryText(seconds) : std::string();
    } else {
        record.strError.clear();
    }
    const double percent = ComputePercent(info.ullDoneSize, record.ullFileSize);
    // A folder's files finish as a folder: its row sounds once, when the last one has arrived.
    if (percent == 100.0 && record.nState == TASK_FINISHED && record.nCatalogFlag == 0) {
        PlayFinishSound();
        CountFinished(record, isUpload);
    }
    AdvanceTransferFigures(record, info.ullDoneSize, percent);
}

void CUICTransmitDlg::PlayFinishSound() {
    // A silent finish still counts: the sound is only a courtesy.
    if (!Services::GetSound().PlayAsync(CToolsHelp::GetProgramDir() + "sound/File.wav")) {
        LOG_ERROR("CUICTransmitDlg::ComputeProgress", "播放提示音有误");
    }
}

void CUICTransmitDlg::CountFinished(const tagFileInfo& record, bool isUpload) {
    if (isUpload && m_nCurView != IDC_VIEW_UPLOADED && record.nCatalogFlag == 0) {
        ++m_nUploadedExtra;
        SetViewLabel(IDC_VIEW_UPLOADED, "IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA", m_nUploadedExtra);
    } else if (!isUpload && m_nCurView != IDC_VIEW_DOWNLOADED) {
        ++m_nDownloadedExtra;
        SetViewLabel(IDC_VIEW_DOWNLOADED, "IDS_UPLOAD_TRANSMIT_DOWNLOADED_EXTRA", m_nDownloadedExtra);
    }
}

CUICSuspendDlg* CUICTransmitDlg::GetSuspendDlg() {
    CUICUploadComp* component = Component();
    if (!component) {
        LOG_NULL("CUICTransmitDlg::GetSuspendDlg", "pUICUpload");
        return nullptr;
    }
    return component->GetSuspendDlg();
}

void CUICTransmitDlg::ShowSuspendDlg() {
    if (CUICSuspendDlg* suspend = GetSuspendDlg()) {
        suspend->show();
    }
}

void CUICTransmitDlg::ShowProgress(double percent, bool isUpload) {
    CUICSuspendDlg* suspend = GetSuspendDlg();
    if (!suspend) {
        LOG_NULL("CUICTransmitDlg::ShowProgress", "pDlgSuspend");
        return;
    }
    const bool idle = !(percent > 0);
    const std::string text = idle ? std::string("...") : PercentText(percent);
    if (isUpload) {
        suspend->RefreshUploadProgress(text);
    } else {
        suspend->RefreshDownloadProgress(text);
    }
    if (idle) {
        suspend->ShowLogo(SW_SHOW);
    }
}

void CUICTransmitDlg::RefreshShow() {
    switch (m_nCurView) {
        case IDC_VIEW_DOWNLOADING:
            RefreshDownloading();
            break;
        case IDC_VIEW_DOWNLOADED:
            RefreshDownloaded();
            break;
        case IDC_VIEW_UPLOADING:
            RefreshUploading();
            break;
        case IDC_VIEW_UPLOADED:
            RefreshUploaded();
            break;
        default:
            break;
    }
    m_pModel->FlushChanges();
}

void CUICTransmitDlg::RefreshUploading() {
    for (int row = 0; row < m_pModel->rowCount();) {
        tagFileInfo* record = m_pModel->Record(row);
        if (!record) {
            LOG_NULL("CUICTransmitDlg::RefreshUploading", "pstFileInfo");
            return;
        }
        if (record->nCatalogFlag != 0) {
            ++row;
            continue;
        }
        switch (record->nState) {
            case TASK_WAITING:
                m_pModel->SetText(row, 7, FormatTime(record->nUsedTime));
                m_pModel->SetText(row, 9, record->strNetPath);
                break;
            case TASK_RUNNING:
                m_pModel->SetText(row, 4, record->strProgress);
                m_pModel->SetText(row, 5, record->strSpeed);
                m_pModel->SetText(row, 6, record->strTimeLeft);
                m_pModel->SetText(row, 7, FormatTime(record->nUsedTime));
                m_pModel->SetImage(row, GetImageIndexByState(TASK_RUNNING, true));
                m_pModel->SetText(row, 9, record->strNetPath);
                break;
            case TASK_FINISHED:
                m_pModel->RemoveRow(row);
                continue;
            default:
                break;
        }
        ++row;
    }
    RefreshCatalogRows(false);
}

void CUICTransmitDlg::RefreshDownloading() {
    for (int row = 0; row < m_pModel->rowCount();) {
        tagFileInfo* record = m_pModel->Record(row);
        if (!record) {
            LOG_NULL("CUICTransmitDlg::RefreshDownloading", "pstFileInfo");
            return;
        }
        switch (record->nState) {
            case TASK_WAITING:
                m_pModel->SetText(row, 7, FormatTime(record->nUsedTime));
                m_pModel->SetText(row, 9, "");
                break;
            case TASK_RUNNING:
                m_pModel->SetText(row, 3, MakeTransferSize(record->ullFileSize));
                m_pModel->SetText(row, 4, record->strProgress);
                m_pModel->SetText(row, 5, record->strSpeed);
                m_pModel->SetText(row, 6, record->strTimeLeft);
                m_pModel->SetText(row, 7, FormatTime(record->nUsedTime));
                m_pModel->SetText(row, 9, "");
                m_pModel->SetImage(row, GetImageIndexByState(TASK_RUNNING, false));
                break;
            case TASK_FINISHED:
                m_pModel->RemoveRow(row);
                continue;
            default:
                m_pModel->SetImage(row, GetImageIndexByState(record->nState, false));
                for (const int column : {3, 4, 5, 6}) {
                    m_pModel->SetText(row, column, "");
                }
                break;
        }
        ++row;
    }
}

void CUICTransmitDlg::RefreshUploaded() {
    RefreshFinished(true);
}

void CUICTransmitDlg::RefreshDownloaded() {
    RefreshFinished(false);
}

void CUICTransmitDlg::RefreshFinished(bool isUpload) {
    std::unordered_set<int32_t> listed;
    for (int row = 0; row < m_pModel->rowCount();) {
        const tagFileInfo* record = m_pModel->Record(row);
        if (!record) {
            LOG_NULL("CUICTransmitDlg::RefreshFinished", "pstFileInfo");
            return;
        }
        // A folder upload's files are listed by the folder upload itself, never from the records.
        if (isUpload && record->nCatalogFlag != 0 && InfoMap(true).count(record->nFileID) &&
            &InfoMap(true).at(record->nFileID) == record) {
            m_pModel->RemoveRow(row);
            continue;
        }
        listed.insert(record->nFileID);
        ++row;
    }
    for (auto& [id, record] : InfoMap(isUpload)) {
        if (record.nState != TASK_FINISHED || (isUpload && record.nCatalogFlag != 0) || listed.count(id)) {
            continue;
        }
        WriteFinishedRow(m_pModel->AppendRow(&record, GetImageIndexByState(TASK_FINISHED, isUpload)), record,
                         isUpload);
    }
}

void CUICTransmitDlg::WriteFinishedRow(int row, tagFileInfo& record, bool isUpload) {
    const std::string name = CToolsHelp::GetFileName(record.strFilePath);
    record.strFileName = name;
    m_pModel->SetText(row, 2, name);
    m_pModel->SetText(row, 3, MakeTransferSize(record.ullFileSize));
    m_pModel->SetText(row, 4, record.strSpeed);
    m_pModel->SetText(row, 5, record.strTimeLeft);
    m_pModel->SetText(row, 6, FormatTime(record.nUsedTime));
    m_pModel->SetText(row, 7, isUpload ? record.strNetPath : DirectoryOf(record.strFilePath, name));
}

void CUICTransmitDlg::ShowUpload(int finished) {
    ShowRecords(true, finished);
}

void CUICTransmitDlg::ShowDownload(int finished) {
    ShowRecords(false, finished);
}

void CUICTransmitDlg::ShowRecords(bool isUpload, int finished) {
    for (auto& [id, record] : InfoMap(isUpload)) {
        if ((isUpload && record.nCatalogFlag != 0) || (record.nState == TASK_FINISHED) != (finished != 0)) {
            continue;
        }
        const int row = m_pModel->AppendRow(&record, GetImageIndexByState(record.nState, isUpload));
        if (finished) {
            WriteFinishedRow(row, record, isUpload);
            continue;
        }
        const std::string name = CToolsHelp::GetFileName(record.strFilePath);
        record.strFileName = name;
        const bool figures = !isUpload || record.nState == TASK_RUNNING || record.nState == TASK_FINISHED;
        m_pModel->SetText(row, 2, name);
        m_pModel->SetText(row, 3, MakeTransferSize(record.ullFileSize));
        m_pModel->SetText(row, 4, record.strProgress);
        m_pModel->SetText(row, 5, figures ? record.strSpeed : std::string());
        m_pModel->SetText(row, 6, figures ? record.strTimeLeft : std::string());
        m_pModel->SetText(row, 7, FormatTime(record.nUsedTime));
        m_pModel->SetText(row, 8, DirectoryOf(record.strFilePath, name));
        m_pModel->SetText(row, 9, isUpload ? record.strNetPath : std::string());
    }
    if (isUpload && finished) {
        ShowCatalogDone();
    }
}

void CUICTransmitDlg::ShowTask() {
    m_pModel->Clear();
    m_pList->setUpdatesEnabled(false);
    const bool wasFinishedView = !IsProgressView(m_nPreView);
    switch (m_nCurView) {
        case IDC_VIEW_DOWNLOADING:
        case IDC_VIEW_UPLOADING:
            if (wasFinishedView) {
                SetColumns(true);
            }
            if (m_nCurView == IDC_VIEW_DOWNLOADING) {
                ShowDownload(0);
            } else {
                ShowUpload(0);
            }
            break;
        case IDC_VIEW_DOWNLOADED:
        case IDC_VIEW_UPLOADED:
            SetColumns(false);
            if (m_nCurView == IDC_VIEW_DOWNLOADED) {
                ShowDownload(1);
            } else {
                ShowUpload(1);
            }
            break;
        default:
            break;
    }
    m_pModel->FlushChanges();
    m_nPreView = m_nCurView;
    m_pList->horizontalHeader()->setSortIndicatorShown(false);
    m_pList->setUpdatesEnabled(true);
}

LRESULT CUICTransmitDlg::OnSkinMagicExMsg(WPARAM /*wParam*/, LPARAM lParam) {
    const auto* notify = reinterpret_cast<const tagSkinNotify*>(lParam);
    if (!notify || notify->nCode != SKIN_NOTIFY_PANEL || notify->nSubCode != SKIN_PANEL_CLICK) {
        return 0;
    }
    // For a panel click the notice's last field is the unit; 0 is a click beside every unit.
    const int unit = notify->nDelta;
    if (unit == 0) {
        return -1;
    }
    if (notify->nCtrlID == IDC_PANEL_TOP) {
        DisposePanelTop(unit);
    } else if (notify->nCtrlID == IDC_PANEL_LEFT) {
        DisposePanelLeft(unit);
    }
    return 0;
}

void CUICTransmitDlg::DisposePanelTop(int unit) {
    switch (unit) {
        case IDC_BUTTON_START:
            OnButtonStart();
            break;
        case IDC_BUTTON_PAUSE:
            OnButtonPause();
            break;
        case IDC_BUTTON_DELETE:
            OnButtonDelete();
            break;
        default:
            return;
    }
    RefreshButton();
}

void CUICTransmitDlg::DisposePanelLeft(int unit) {
    if (unit == m_nCurView) {
        return;
    }
    if (unit == IDC_VIEW_UPLOADED && m_nUploadedExtra > 0) {
        m_nUploadedExtra = 0;
        SetViewLabel(IDC_VIEW_UPLOADED, "IDS_UPLOAD_TRANSMIT_UPLOADED", 0);
    } else if (unit == IDC_VIEW_DOWNLOADED && m_nDownloadedExtra > 0) {
        m_nDownloadedExtra = 0;
        SetViewLabel(IDC_VIEW_DOWNLOADED, "IDS_UPLOAD_TRANSMIT_DOWNLOADED", 0);
    }
    m_nCurView = unit;
    m_pPanelLeft->CheckUnit(unit);
    ShowTask();
}

void CUICTransmitDlg::OnHdnItemclickListShow(int column) {
    if (column < 1) {
        return;
    }
    if (column == m_nSortColumn) {
        m_nSortDirection = m_nSortDirection == 0 ? 1 : 0;
    } else {
        m_nSortColumn = column;
        m_nSortDirection = 0;
    }
    QHeaderView* header = m_pList->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, m_nSortDirection == 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
    const TransferSortKey key =
        SortKeyOfColumn(column, IsProgressView(m_nPreView), m_nPreView == IDC_VIEW_UPLOADED);
    m_pModel->Reorder(SortTransferRecords(m_pModel->Records(), key, m_nSortDirection));
}

void CUICTransmitDlg::HideWindow() {
    hide();
    if (CUICSuspendDlg* suspend = UISingleton<CUICSuspendDlg>::Existing()) {
        suspend->HideWindow();
    }
    Clear();
    m_bNeedReload = true;
}

void CUICTransmitDlg::Clear() {
    if (m_pIUIPUpload) {
        for (const bool isUpload : {true, false}) {
            for (const auto& [id, record] : InfoMap(isUpload)) {
                if (IsLive(record.nState)) {
                    m_pIUIPUpload->PauseTask(id, isUpload ? 1 : 0);
                }
            }
        }
    }
    m_pModel->Clear();
}

void CUICTransmitDlg::Reset() {
    ShowSuspendDlg();
    if (m_bNeedReload) {
        InitUIP();
        m_bNeedReload = false;
    }
    m_nCurView = IDC_VIEW_UPLOADING;
    m_pPanelLeft->CheckUnit(IDC_VIEW_UPLOADING);
    ShowTask();
}

void CUICTransmitDlg::ResetImageList() {
    InitTransmitResources();
    static constexpr const char* kIcons[] = {"waiting", "spare1", "spare2",    "finished",
                                             "failed",  "paused", "uploading", "downloading"};
    std::vector<QIcon> images;
    for (const char* name : kIcons) {
        images.emplace_back(QString(":/transmit/state-%1.png").arg(QLatin1String(name)));
    }
    m_pModel->SetImages(std::move(images));
}

std::vector<int> CUICTransmitDlg::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_pList->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

CUICTransmitDlg::CommandEnabling CUICTransmitDlg::SelectionEnabling() const {
    CommandEnabling enabling;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return enabling;
    }
    enabling.remove = true;
    enabling.open = true;
    for (const int row : rows) {
        const tagFileInfo* record = m_pModel->Record(row);
        if (!record) {
            LOG_NULL("CUICTransmitDlg::RefreshButton", "pstFileInfo");
            return enabling;
        }
        if (record->nCatalogFlag != 0) {
            EnableCatalogRow(*record, enabling);
            continue;
        }
        switch (record->nState) {
            case TASK_WAITING:
            case TASK_RUNNING:
                enabling.pause = true;
                break;
            case TASK_PAUSED:
            case TASK_FAILED:
            case TASK_OTHER:
                enabling.start = true;
                break;
            default:
                break;
        }
    }
    return enabling;
}

void CUICTransmitDlg::RefreshButton() {
    const CommandEnabling enabling = SelectionEnabling();
    CToolsHelp::EnableDlgItem(this, IDC_BUTTON_START, enabling.start);
    CToolsHelp::EnableDlgItem(this, IDC_BUTTON_PAUSE, enabling.pause);
    CToolsHelp::EnableDlgItem(this, IDC_BUTTON_DELETE, enabling.remove);
}

void CUICTransmitDlg::OnSelectionChanged() {
    RefreshButton();
    const std::vector<int> rows = SelectedRows();
    const tagFileInfo* record = rows.empty() ? nullptr : m_pModel->Record(rows.front());
    if (QWidget* status = GetDlgItem(this, IDC_STATIC_TRANSMIT_ERROR)) {
        status->setProperty("text", record ? ToQString(record->strError) : QString());
    }
}

void CUICTransmitDlg::ShowTip(const char* key) {
    m_tip.PopToolTip(UploadText(key), nullptr, 1);
}

bool CUICTransmitDlg::StartRow(int row) {
    tagFileInfo* record = m_pModel->Record(row);
    if (!record) {
        LOG_NULL("CUICTransmitDlg::OnButtonStart", "pstFileInfo");
        return false;
    }
    if (record->nCatalogFlag != 0) {
        StartCatalogRow(row, *record);
        return true;
    }
    long result = 0;
    const char* refusal = nullptr;
    if (record->nState == TASK_PAUSED) {
        result = m_pIUIPUpload->ResumeTask(record->nFileID, IsUpload());
        refusal = "IDS_UPLOAD_INFO_RESUME_FAILED";
    } else if (record->nState == TASK_FAILED || record->nState == TASK_OTHER) {
        result = m_pIUIPUpload->ContTask(record->nFileID, IsUpload());
        refusal = "IDS_UPLOAD_INFO_CONTINUE_FAILED";
    } else {
        return true;
    }
    if (result != 0) {
        ShowTip(refusal);
        return true;
    }
    StartTimer();
    record->nState = TASK_RUNNING;
    m_pModel->SetImage(row, GetImageIndexByState(TASK_RUNNING, IsUpload() != 0));
    return true;
}

bool CUICTransmitDlg::PauseRow(int row) {
    tagFileInfo* record = m_pModel->Record(row);
    if (!record) {
        LOG_NULL("CUICTransmitDlg::OnButtonPause", "pstFileInfo");
        return false;
    }
    if (record->nCatalogFlag != 0) {
        PauseCatalogRow(row, *record);
        return true;
    }
    if (!IsLive(record->nState)) {
        return true;
    }
    if (m_pIUIPUpload->PauseTask(record->nFileID, IsUpload()) != 0) {
        ShowTip("IDS_UPLOAD_INFO_PAUSE_FAILED");
        return true;
    }
    record->nState = TASK_PAUSED;
    m_pModel->SetImage(row, GetImageIndexByState(TASK_PAUSED, IsUpload() != 0));
    m_pModel->SetText(row, 5, "");
    m_pModel->SetText(row, 6, "");
    return true;
}

void CUICTransmitDlg::OnButtonStart() {
    if (!m_pIUIPUpload) {
        return;
    }
    for (const int row : SelectedRows()) {
        if (!StartRow(row)) {
            break;
        }
    }
    m_pModel->FlushChanges();
}

void CUICTransmitDlg::OnButtonPause() {
    if (!m_pIUIPUpload) {
        return;
    }
    for (const int row : SelectedRows()) {
        if (!PauseRow(row)) {
            break;
        }
    }
    m_pModel->FlushChanges();
}

void CUICTransmitDlg::OnButtonDelete() {
    static const char* const kName = "CUICTransmitDlg::OnButtonDelete";
    const std::vector<int> rows = SelectedRows();
    const long count = static_cast<long>(rows.size());
    if (count < 1 || !m_pIUIPUpload) {
        return;
    }
    const std::string text = count > 1 ? FormatCount(UploadText("IDS_UPLOAD_TRANSMIT_DELETE_ALLITEMS"), count)
                                       : UploadText("IDS_UPLOAD_TRANSMIT_DELETE");
    const std::string caption = CToolsHelp::GetString("IDS_GLOBAL_INFO_CONFIRM", "GLOBAL");
    if (Services::GetPrompts().MessageBox(this, text, caption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        return;
    }
    // Rows are visited in list order; each removal moves the rows after it up by one.
    int removed = 0;
    for (const int selected : rows) {
        const int row = selected - removed;
        const tagFileInfo* record = m_pModel->Record(row);
        if (!record) {
            LOG_NULL(kName, "pstFileInfo");
            break;
        }
        if (record->nCatalogFlag != 0) {
            DeleteCatalogRow(row, *record);
            ++removed;
            continue;
        }
        const int32_t id = record->nFileID;
        if (m_pIUIPUpload->DeleteTask(id, IsUpload()) != 0) {
            ShowTip("IDS_UPLOAD_INFO_PAUSE_FAILED");
            continue;
        }
        m_pModel->RemoveRow(row);
        EraseInfoByID(id);
        ++removed;
    }
    m_pModel->FlushChanges();
}

void CUICTransmitDlg::OnMenuOpen() {
    const std::vector<int> rows = SelectedRows();
    if (!m_pIUIPUpload || rows.empty()) {
        return;
    }
    if (const tagFileInfo* record = m_pModel->Record(rows.front())) {
        CToolsHelp::OpenFile(record->strFilePath);
    }
}

void CUICTransmitDlg::SelectAll() {
    m_pList->selectAll();
}

void CUICTransmitDlg::OnCommand(int id) {
    switch (id) {
        case ID_TRANSMIT_STARTALL:
        case ID_TRANSMIT_PAUSEALL:
        case ID_TRANSMIT_DELETEALL:
            SelectAll();
            break;
        default:
            break;
    }
    switch (id) {
        case ID_TRANSMIT_DELETE:
        case ID_TRANSMIT_DELETEALL:
            OnButtonDelete();
            break;
        case ID_TRANSMIT_OPEN:
            OnMenuOpen();
            break;
        case ID_TRANSMIT_START:
        case ID_TRANSMIT_STARTALL:
            OnButtonStart();
            break;
        case ID_TRANSMIT_PAUSE:
        case ID_TRANSMIT_PAUSEALL:
            OnButtonPause();
            break;
        case ID_TRANSMIT_SELECTALL:
            SelectAll();
            break;
        default:
            return;
    }
    RefreshButton();
}

void CUICTransmitDlg::OnNMRclickListShow(const QPoint& screenPoint) {
    if (m_pModel->rowCount() == 0) {
        return;
    }
    QMenu menu(this);
    const CommandEnabling enabling = SelectionEnabling();
    auto add = [&](int id, const char* key, bool enabled) {
        QAction* action = menu.addAction(ToQString(UploadText(key)));
        action->setData(id);
        action->setEnabled(enabled);
    };
    const size_t selected = SelectedRows().size();
    if (IsProgressView(m_nCurView)) {
        if (selected > 0) {
            add(ID_TRANSMIT_START, "IDS_UPLOAD_TRANSMIT_MENU_START", enabling.start);
            add(ID_TRANSMIT_PAUSE, "IDS_UPLOAD_TRANSMIT_MENU_PAUSE", enabling.pause);
            add(ID_TRANSMIT_DELETE, "IDS_UPLOAD_TRANSMIT_MENU_DELETE", enabling.remove);
        } else {
            add(ID_TRANSMIT_STARTALL, "IDS_UPLOAD_TRANSMIT_MENU_STARTALL", true);
            add(ID_TRANSMIT_PAUSEALL, "IDS_UPLOAD_TRANSMIT_MENU_PAUSEALL", true);
            add(ID_TRANSMIT_DELETEALL, "IDS_UPLOAD_TRANSMIT_MENU_DELETEALL", true);
        }
        menu.addSeparator();
        add(ID_TRANSMIT_SELECTALL, "IDS_UPLOAD_TRANSMIT_MENU_SELECTALL", true);
    } else {
        if (selected == 1) {
            add(ID_TRANSMIT_OPEN, "IDS_UPLOAD_TRANSMIT_MENU_OPEN", enabling.open);
        }
        add(ID_TRANSMIT_DELETE, "IDS_UPLOAD_TRANSMIT_MENU_DELETE", enabling.remove);
        menu.addSeparator();
        add(ID_TRANSMIT_SELECTALL, "IDS_UPLOAD_TRANSMIT_MENU_SELECTALL", true);
        add(ID_TRANSMIT_DELETEALL, "IDS_UPLOAD_TRANSMIT_MENU_DELETEALL", true);
    }
    const int choice = Services::GetSkin().TrackPopupMenu(&menu, screenPoint, this);
    if (choice != 0) {
        OnCommand(choice);
    }
}

void CUICTransmitDlg::OnNMDblclkListShow() {
    const std::vector<int> rows = SelectedRows();
    if (!m_pIUIPUpload || rows.empty()) {
        return;
    }
    const tagFileInfo* record = m_pModel->Record(rows.front());
    if (!record) {
        LOG_NULL("CUICTransmitDlg::OnNMDblclkListShow", "pstFileInfo");
        return;
    }
    if (!IsProgressView(m_nCurView)) {
        CToolsHelp::OpenFile(record->strFilePath);
        return;
    }
    if (record->nState == TASK_RUNNING) {
        PauseRow(rows.front());
    } else if (record->nState == TASK_PAUSED) {
        StartRow(rows.front());
    }
    m_pModel->FlushChanges();
    RefreshButton();
}

bool CUICTransmitDlg::event(QEvent* event) {
    if (m_messages.Dispatch(event)) {
        return true;
    }
    return CResizableDialog::event(event);
}

bool CUICTransmitDlg::eventFilter(QObject* watched, QEvent* event) {
    // The last column takes the rest of the width once the user lets go of a column divider.
    if (watched == m_pList->horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        FitLastColumn();
    }
    if (watched == m_pList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_A && (key->modifiers() & Qt::ControlModifier)) {
            SelectAll();
            return true;
        }
    }
    return CResizableDialog::eventFilter(watched, event);
}

void CUICTransmitDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape would close the dialog; the list stays until the user closes it.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            CResizableDialog::keyPressEvent(event);
    }
}

LRESULT CUICTransmitDlg::OnStartDownFile(WPARAM wParam, LPARAM /*lParam*/) {
    const auto* request = reinterpret_cast<const std::string*>(wParam);
    CUICUploadComp* component = Component();
    if (!request || !component) {
        LOG_NULL("CUICTransmitDlg::OnStartDownFile", request ? "pUICUpload" : "wParam");
        return 0;
    }
    component->DownloadFile(*request);
    return 0;
}

LRESULT CUICTransmitDlg::OnStartUploadFile(WPARAM wParam, LPARAM lParam) {
    const auto* localPath = reinterpret_cast<const std::string*>(wParam);
    const auto* target = reinterpret_cast<const std::string*>(lParam);
    if (!localPath || !target) {
        LOG_NULL("CUICTransmitDlg::OnStartUploadFile", "wParam");
        return 0;
    }
    UpLoadFile(*localPath, *target);
    return 0;
}

void CUICTransmitDlg::UpLoadFile(const std::string& localPath, const std::string& target) {
    static const char* const kName = "CUICTransmitDlg::UpLoadFile";
    LOG_FUNCTION(kName);
    std::error_code error;
    const std::filesystem::path file(Gb18030ToUtf8(localPath));
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error || !std::filesystem::is_regular_file(file, error)) {
        NIMBRA_LOG("ERR: CreateFile %s error \n", localPath.c_str());
        return;
    }
    // A picture travels with its thumbnail, made as the upload dialog makes them.
    std::vector<tagPendingFile> pending{{localPath, size, 0, {}, 0}};
    CMiniature::CreateMiniature(pending, CToolsHelp::GetProgramDir());
    tagUploadFileEntry entry;
    entry.strFilePath = localPath;
    entry.ullFileSize = size;
    entry.nMiniatureFlag = pending[0].nMiniatureFlag;
    entry.strMiniatureName = pending[0].strMiniatureName;
    entry.ullMiniatureSize = pending[0].ullMiniatureSize;
    entry.strGoalPath = target;
    IUISysConfig* sysConfig = GetHostInterface<IUISysConfig>(IID_IUISysConfig);
    if (!sysConfig) {
        LOG_NULL(kName, "pIUISysConfig");
        return;
    }
    tagUploadInfo info;
    std::string path;
    long port = 0;
    if (!CUICUploadComp::ParseUrl(sysConfig->GetSysConfig().strUploadUrl, info.strHost, port, path)) {
        LOG_FAILED(kName, "ParseUrl");
        return;
    }
    info.nPort = static_cast<int32_t>(port);
    info.strRequestPath = kUploadRequestPath;
    info.strTargetCatalogID = target;
    CUICUploadComp* component = Component();
    if (!component) {
        LOG_NULL(kName, "pUICUpload");
        return;
    }
    component->StartUpload({entry}, info, 0);
}
