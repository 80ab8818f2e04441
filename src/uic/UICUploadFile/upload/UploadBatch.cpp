#include "uic/UICUploadFile/upload/UploadBatch.h"

#include <algorithm>
#include <cstdlib>

#include "function/ToolsHelp.h"
#include "log/LogMacros.h"
#include "uic/UICUploadFile/frame/LangFormat.h"
#include "uic/UICUploadFile/transfer/UICProgressDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"

UploadFileList UploadEntries(const std::vector<tagPendingFile>& files, const std::string& description,
                             const std::string& goalPath) {
    UploadFileList entries;
    entries.reserve(files.size());
    for (const tagPendingFile& file : files) {
        tagUploadFileEntry entry;
        entry.strFilePath = file.strPath;
        entry.strDescription = description;
        entry.ullFileSize = file.ullSize;
        entry.ullMiniatureSize = file.ullMiniatureSize;
        entry.strMiniatureName = file.strMiniatureName;
        entry.nMiniatureFlag = file.nMiniatureFlag;
        entry.strGoalPath = goalPath;
        entries.push_back(std::move(entry));
    }
    return entries;
}

uint64_t TotalSize(const std::vector<tagPendingFile>& files) {
    uint64_t total = 0;
    for (const tagPendingFile& file : files) {
        total += file.ullSize;
    }
    return total;
}

size_t CollectTaskIds(const UploadFileList& entries, std::set<int32_t>& taskIds) {
    size_t started = 0;
    for (const tagUploadFileEntry& entry : entries) {
        if (!entry.strFileID.empty()) {
            taskIds.insert(std::atoi(entry.strFileID.c_str()));
            ++started;
        }
    }
    return started;
}

tagUploadTick PollUploadTasks(IUIPUpload& adapter, const std::set<int32_t>& taskIds) {
    tagUploadTick tick;
    for (int32_t id : taskIds) {
        tagUploadProgress progress;
        if (adapter.GetProgress(id, progress) == -1) {
            continue;
        }
        tick.ullSum += progress.ullDone;
        tick.bRunning = tick.bRunning || progress.nState == TASK_WAITING || progress.nState == TASK_RUNNING;
        tick.nSucceeded += progress.nState == TASK_FINISHED ? 1 : 0;
        tick.nFailed += progress.nState == TASK_FAILED ? 1 : 0;
    }
    return tick;
}

int32_t UploadPercent(uint64_t sum, uint64_t total) {
    // Only empty files: nothing to measure yet, and nothing to divide by.
    return total == 0 ? 0 : static_cast<int32_t>(std::min<uint64_t>(sum * 100 / total, 100));
}

std::string UploadRunningText(int32_t percent, const std::string& speed) {
    return std::to_string(percent) + "%，" + speed + "ps";
}

std::string UploadCompleteText(int32_t succeeded, int32_t failed) {
    if (failed > 0) {
        return FormatLangText(CToolsHelp::GetString("IDS_UPLOAD_INFO_FAIL", "UPLOAD"),
                              {std::to_string(succeeded), std::to_string(failed)});
    }
    return CToolsHelp::GetString("IDS_UPLOAD_INFO_SUCCESS", "UPLOAD");
}

void PrepareProgressBar(CUICProgressDlg*& bar, QWidget* owner, const char* caller) {
    if (!bar) {
        bar = new CUICProgressDlg(owner);
        if (!bar->Create()) {
            NIMBRA_LOG("%s, Info = %s", caller, "创建对话框失败");
            delete bar;
            bar = nullptr;
            return;
        }
    }
    bar->Reset();
    bar->hide();
}
