#pragma once
// The records that travel between the host, the component, its engine adapter and the transfer list.
// File sizes and byte counts are 64-bit unsigned throughout.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The upload request of one batch.
struct tagUploadInfo {
    int32_t nAppType = 0;            // sent as decimal text to the task's AppType
    std::string strHost;             // upload service host
    int32_t nPort = 8080;            // upload service port
    std::string strTargetCatalogID;  // target catalog
    std::string strNewCatalogName;   // catalog to create under the target, or empty
    std::string strTag;              // tag text
    std::string strRequestPath;      // request path after host and port
    std::string strSSOKey;           // sign-on text
};

// One file of an upload batch.
struct tagUploadFileEntry {
    std::string strFilePath;        // local path
    std::string strDescription;     // description
    std::string strFileID;          // task id as decimal text, written by the adapter
    uint64_t ullFileSize = 0;       // size in bytes
    uint64_t ullDoneSize = 0;       // bytes done, written by the adapter
    int32_t nMiniatureFlag = 0;     // non-zero when a thumbnail was made
    std::string strMiniatureName;   // thumbnail path
    uint64_t ullMiniatureSize = 0;  // thumbnail size in bytes
    int32_t bComplexFlag = 0;       // composite content flag
    std::string strComplexCID;      // composite content id
    std::string strExtra1;          // carried along, not read by the adapter
    std::string strExtra2;          // carried along, not read by the adapter
    std::string strGoalPath;        // display path of the target catalog ("我的网盘\...")
};

using UploadFileList = std::vector<tagUploadFileEntry>;

// Program task states (the engine's session states mapped).
enum TaskState : int32_t {
    TASK_WAITING = 0,
    TASK_PAUSED = 1,
    TASK_RUNNING = 2,
    TASK_FINISHED = 3,
    TASK_FAILED = 4,
    TASK_OTHER = 5,
    TASK_NEW = 6,
    TASK_ENGINE_ERROR = 7,
};

// The transfer record the adapter fills and the transfer list keeps.
struct tagFileInfo {
    int32_t nFileID = 0;          // engine task id, key of the record maps
    std::string strFilePath;      // local path
    int32_t nReserved = -1;       // never read
    std::string strFileName;      // display name
    uint64_t ullFileSize = 0;     // total size
    uint64_t ullCatalogSize = 0;  // size of a folder-upload file
    uint64_t ullDoneSize = 0;     // bytes done as of the last refresh
    std::string strProgress;      // "%0.1f%"
    std::string strSpeed;         // size text followed by "/S"
    std::string strTimeLeft;      // formatted seconds left
    uint32_t nUsedTime = 0;       // refreshes in which the task was measured (seconds)
    int32_t nState = TASK_NEW;    // program task state
    std::string strError;         // error text while failed
    std::string strNetPath;       // target path on the network disk
    int32_t nCatalogFlag = 0;     // 1 for a folder upload's task
};

using FileInfoList = std::vector<tagFileInfo>;
using FileInfoMap = std::map<int32_t, tagFileInfo>;

// One catalog of the network disk, as read from the catalog document.
struct stCatalog {
    int32_t nCurDir = 0;       // CurDir
    int32_t nSpare = 0;        // not used
    std::string strName;       // display name; "我的网盘" for the top
    std::string strCatalogID;  // "root" read as "10000000000011"
    std::string strParentID;   // likewise
    std::string strPath;       // display path, backslash-separated
    std::string strShared;     // isShared as read
};

// The top catalog's fixed id and display name.
inline constexpr const char* ROOT_CATALOG_ID = "10000000000011";
