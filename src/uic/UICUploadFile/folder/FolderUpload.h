#pragma once
// The folder upload: for each folder task in turn, for each of its folders in scan order (parents before
// their children), the network-disk page is asked to create the remote catalog, and then that folder's
// files are uploaded into it through the engine adapter, one file at a time. Timer 1002 of the upload
// dialog drives it once a second; the transfer list is told which folder runs and which file it follows,
// and tells back which folders the user deleted there.
//
// A catalog that is refused ("9424") or not answered in time is skipped together with everything below
// it; the folder then ends as failed instead of finished, so the user sees it in the transfer list.

#include <cstdint>
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

class CFolderUpload {
public:
    // Ticks a catalog answer may take before its folder is given up.
    static constexpr unsigned kAnswerTicks = 30;

    CFolderUpload(IFolderUploadSite& site, WindowTimers& timers);

    // The file bytes of a folder as counted when it was chosen or dropped.
    void AddSize(uint64_t bytes, const std::string& path);
    // A folder to upload; a waiting task for the same folder is replaced (a started one stays).
    void AddTask(tagCatalogTask task);
    // Hands the tasks to the transfer list and starts timer 1002.
    void Start();
    // Timer 1002.
    void TUploadCatalog();
    // The network-disk page's answer to the last creation request: a catalog id, or "9424".
    void creatteNetCatalogResp(const std::string& answer);

    const CatalogTaskList& Tasks() const { return m_vecTasks; }
    const CatalogSizeList& Sizes() const { return m_vecSizes; }
    // The recorded size of a chosen folder (0 when none).
    uint64_t SizeOf(const std::string& path) const;
    int32_t FileTaskID() const { return m_nFileTaskID; }

private:
    tagCatalogTask& Current();
    void ApplyRemovals(IFolderTransferList* transmit, IUIPUpload& adapter);
    void PickTask(IFolderTransferList* transmit);
    void FinishAll(IFolderTransferList* transmit);
    void FollowFile(IUIPUpload& adapter, IFolderTransferList* transmit);
    // Starts files and moves through the folders until something has to be waited for.
    void Advance(IFolderTransferList* transmit);
    void execuTask();
    void SkipSubFolder(const char* why);
    // False when the file has to wait for a later tick.
    bool CatalogUploadFile();
    bool stepUpLoadCatalogFiles(IUIPUpload& adapter, UploadFileList& entries);
    void EndTask(IFolderTransferList* transmit);
    void StopTask(IFolderTransferList* transmit);

    IFolderUploadSite& m_site;
    WindowTimers& m_timers;

    CatalogTaskList m_vecTasks;
    size_t m_nCurTask = 0;  // tasks already started
    bool m_bTaskActive = false;
    bool m_bTaskFailed = false;
    CatalogSizeList m_vecSizes;

    std::vector<std::string> m_vecSubFolders;
    size_t m_nSubFolder = 0;
    std::map<std::string, std::string> m_mapCatalogs;  // local folder -> remote catalog id
    std::vector<tagCatalogFile> m_vecFiles;
    size_t m_nFile = 0;
    std::string m_strRemoteID;
    bool m_bAwaitingAnswer = false;
    unsigned m_nWaitedTicks = 0;
    int32_t m_nFileTaskID = 0;
};
