#pragma once
// A batch of files a dialog hands to the engine and then follows: the engine entries of its files, the
// ids of the tasks the engine made, one tick's poll of those tasks, and the texts the upload progress bar
// shows while they run and once they have ended. The upload and property dialogs share it.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "host/UIUploadDefine.h"
#include "uic/UICUploadFile/thumbnail/Miniature.h"

class CUICProgressDlg;
class IUIPUpload;
class QWidget;

// One entry a file, each with the batch's description and the goal's display path.
UploadFileList UploadEntries(const std::vector<tagPendingFile>& files, const std::string& description,
                             const std::string& goalPath);
uint64_t TotalSize(const std::vector<tagPendingFile>& files);
// Adds the id of every task the engine made for the entries; how many it made. An entry the engine did
// not take has no task id to follow.
size_t CollectTaskIds(const UploadFileList& entries, std::set<int32_t>& taskIds);

struct tagUploadTick {
    uint64_t ullSum = 0;     // bytes done over the tasks
    bool bRunning = false;   // a task waits or runs
    int32_t nSucceeded = 0;  // tasks finished
    int32_t nFailed = 0;     // tasks failed
};

// Tasks the adapter cannot report on are left out.
tagUploadTick PollUploadTasks(IUIPUpload& adapter, const std::set<int32_t>& taskIds);
// sum x 100 / total, truncated, at most 100; 0 while there is nothing to send.
int32_t UploadPercent(uint64_t sum, uint64_t total);
// "45%，12 KBps": the percent, then the speed text of the last second.
std::string UploadRunningText(int32_t percent, const std::string& speed);
// The outcome, once no task runs.
std::string UploadCompleteText(int32_t succeeded, int32_t failed);

// The hidden progress bar of the owner, made on its first upload and reset before each; null (logged
// under caller) when its window cannot be made.
void PrepareProgressBar(CUICProgressDlg*& bar, QWidget* owner, const char* caller);
