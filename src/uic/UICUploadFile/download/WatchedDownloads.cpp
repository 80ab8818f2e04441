#include "uic/UICUploadFile/download/WatchedDownloads.h"

#include <QCursor>
#include <QPointer>
#include <QScreen>
#include <optional>
#include <vector>

#include "function/UIClassFactory.h"
#include "log/LogMacros.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "uic/UICUploadFile/download/DownFileDlg.h"
#include "uic/UICUploadFile/download/UICPrgDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace {

// The download being handed to the adapter, whose report arrives before the hand-over returns.
struct PendingDownload {
    std::string path;
    CPriorFile prior;
};
std::optional<PendingDownload> g_pending;

std::vector<QPointer<CDownloadWatchDlg>> g_open;

bool IsBusy(long kind) {
    return (kind == DOWNLOAD_KIND_CRAWLER ? CUICPrgDlg::IsDownloading() : CDownFileDlg::IsDownloading()) != 0;
}

void ShowBusyTip(long kind) {
    Services::GetSkin().ShowBalloonTip(
        QCursor::pos(), "", kind == DOWNLOAD_KIND_CRAWLER ? "您的网络爬虫正在下载！" : "有文件正在下载！",
        TTI_NONE);
}

CDownloadWatchDlg* OpenDialog(long kind) {
    CDownloadWatchDlg* dialog = nullptr;
    if (kind == DOWNLOAD_KIND_CRAWLER) {
        dialog = new CUICPrgDlg;
        dialog->Create();
        dialog->showNormal();
        CUICPrgDlg::SetDownloadFlag(1);
    } else {
        dialog = new CDownFileDlg;
        dialog->Create();
        dialog->show();
        CDownFileDlg::SetDownloadFlag(1);
    }
    if (const QScreen* screen = dialog->screen()) {
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    }
    return dialog;
}

}  // namespace

long CWatchedDownloads::Start(const char* operation, const std::string& url, const std::string& path,
                              long kind) {
    LOG_FUNCTION(operation);
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(operation, "pIUIPUpload");
        return -1;
    }
    // A second download of the kind would only be dropped when reported: it does not start.
    if (IsBusy(kind)) {
        ShowBusyTip(kind);
        return 0;
    }
    g_pending = PendingDownload{path, CPriorFile::At(path)};
    adapter->DownloadFile(url, path, kind, -1);
    g_pending.reset();
    return 0;
}

void CWatchedDownloads::Watch(long kind, const tagFileInfo* record) {
    static const char* const kName = "CUICUploadComp::OnEventHandle";
    if (!record) {
        LOG_NULL(kName, "wParam");
        return;
    }
    if (IsBusy(kind)) {
        ShowBusyTip(kind);
        // Nothing may go on downloading unwatched; the engine removes the task's partial file with it.
        if (IUIPUpload* adapter = CreateUIInstance<IUIPUpload>()) {
            adapter->DeleteTask(record->nFileID, 0);
        }
        return;
    }
    const bool started = g_pending && g_pending->path == record->strFilePath;
    const CPriorFile prior = started ? g_pending->prior : CPriorFile::At(record->strFilePath);
    CDownloadWatchDlg* dialog = OpenDialog(kind);
    dialog->DownLoad(record, prior);
    std::erase_if(g_open, [](const QPointer<CDownloadWatchDlg>& open) { return open.isNull(); });
    g_open.emplace_back(dialog);
}

void CWatchedDownloads::CloseAll() {
    for (const QPointer<CDownloadWatchDlg>& open : g_open) {
        delete open.data();
    }
    g_open.clear();
    CUICPrgDlg::SetDownloadFlag(0);
    CDownFileDlg::SetDownloadFlag(0);
}
