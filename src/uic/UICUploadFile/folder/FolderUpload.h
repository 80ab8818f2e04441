#pragma once
// The folder upload: for each folder task, the network-disk page is asked to create the remote catalog of
// every folder of the tree in scan order (parents before their children, each as soon as its parent's id is
// known, one request at a time, since an answer does not say which request it answers), and each folder's
// files go to the engine adapter as batches once its catalog exists and no request can go out. Each piece
// of work (one request, one batch) is done in its own turn of the event loop and the next one follows at
// once: nothing waits for timer 1002, which only follows the files in the engine (once a second) to tell
// when a folder has arrived. The next folder task starts as soon as the previous one has handed all its
// files to the engine.
//
// A catalog that is refused ("9424") or not answered in time is skipped together with everything below
// it; the folder then ends as failed instead of finished, so the user sees it in the transfer list.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host/UIUploadDefine.h"
#include "uic/UICUploadFile/folder/CatalogTask.h"
#include "uic/UICUploadFile/folder/FolderScan.h"
#include "uic/UICUploadFile/folder/FolderUploadSite.h"

class IUIPUpload;
class WindowTimers;

inline constexpr unsigned TIMER_UPLOAD_CATALOG = 1002;

class CFolderUpload final : public IFolderCommands {
public:
    // Ticks a catalog answer may take before its folder is given up.
    static constexpr unsigned kAnswerTicks = 30;
    // Files per StartUpload: a batch is made on the user-interface thread, so a folder of thousands of
    // files goes in several, with the event loop in between.
    static constexpr size_t kBatchFiles = 20;

    CFolderUpload(IFolderUploadSite& site, WindowTimers& timers);

    // The file bytes of a folder as counted when it was chosen or dropped.
    void AddSize(uint64_t bytes, const std::string& path);
    // A folder to upload; a task for the same folder that has not started is replaced (a started one stays).
    void AddTask(tagCatalogTask task);
    // Hands the tasks to the transfer list, starts timer 1002 and the work.
    void Start();
    // Timer 1002.
    void TUploadCatalog();
    // The network-disk page's answer to the last creation request: a catalog id, or "9424".
    void creatteNetCatalogResp(const std::string& answer);

    bool PauseFolder(const std::string& path) override;
    bool StartFolder(const std::string& path) override;
    void DeleteFolder(const std::string& path) override;

    CatalogTaskList Tasks() const;
    const CatalogSizeList& Sizes() const { return m_vecSizes; }
    // The recorded size of a chosen folder (0 when none).
    uint64_t SizeOf(const std::string& path) const;
    // Whether a piece of work waits for the event loop.
    bool HasWorkQueued() const { return m_bQueued; }

private:
    // Files of one folder of the tree that wait for the engine.
    struct tagBatch {
        std::string strCatalogID;
        std::string strGoalPath;
        std::vector<tagCatalogFile> vecFiles;
        size_t nHanded = 0;
    };
    // A folder task and what the folder upload keeps for it while it runs.
    struct tagFolder {
        tagCatalogTask task;
        uint64_t nSerial = 0;
        bool bStarted = false;
        std::vector<std::string> vecSubFolders;  // the folder itself, then every folder below, parents first
        size_t nNextCatalog = 0;                 // the first of them whose catalog has not been asked for
        std::map<std::string, std::string> mapCatalogs;  // local folder -> remote catalog id
        std::deque<tagBatch> queBatches;
        size_t nEndedFiles = 0;  // task.vecFileIDs before this index have finished or failed
        bool bFailed = false;
    };

    // Runs one piece of work and asks for the next turn while there is more.
    void Continue();
    void Queue();
    bool CatalogUploadFile(IFolderTransferList& transmit);
    bool stepUpLoadCatalogFiles(IUIPUpload& adapter, tagFolder& folder, const tagBatch& batch,
                                UploadFileList& entries);
    bool RequestCatalog();
    void execuTask(tagFolder& folder, size_t index, const std::string& parentId);
    bool PickTask(IFolderTransferList& transmit);
    // Moves past the files the engine has ended, in the order they were handed.
    void FollowFiles(IUIPUpload& adapter);
    // Folders with nothing left to send or wait for end; the run ends with the last.
    void EndFolders(IFolderTransferList& transmit);
    void FinishAll(IFolderTransferList& transmit);
    void SkipSubFolder(tagFolder& folder, size_t index, const char* why);
    void GiveUpAnswer();
    // Gives the command to every file of the folder not known to have ended; false when one refused it.
    static bool CommandFiles(const tagFolder& folder, IUIPUpload& adapter,
                             long (IUIPUpload::*command)(long, long));
    bool IsAwaitedBy(const tagFolder& folder) const;
    tagFolder* FindSerial(uint64_t serial);
    size_t StartedCount() const;
    void Publish(IFolderTransferList& transmit) const;

    IFolderUploadSite& m_site;
    WindowTimers& m_timers;

    std::vector<tagFolder> m_vecFolders;
    CatalogSizeList m_vecSizes;
    uint64_t m_nNextSerial = 1;
    bool m_bRunning = false;
    bool m_bQueued = false;
    // The creation request that waits for its answer: the folder task and which of its folders.
    bool m_bAwaitingAnswer = false;
    uint64_t m_nAwaitedSerial = 0;
    size_t m_nAwaitedIndex = 0;
    unsigned m_nWaitedTicks = 0;
};
