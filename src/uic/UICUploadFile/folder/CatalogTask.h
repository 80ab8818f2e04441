#pragma once
// What the folder upload and the transfer list share about folder uploads: one task per chosen or dropped
// folder, and the total file bytes of each folder.

#include <cstdint>
#include <string>
#include <vector>

#include "host/UIUploadDefine.h"

struct tagCatalogTask {
    std::string strPath;  // local folder, '/'-separated
    int32_t nState = TASK_WAITING;
    std::string strGoalPath;  // display path of the catalog the folder goes into ("我的网盘\...")
    // Fixed when the folder is added, so a later choice of goal or tag cannot redirect a waiting task.
    std::string strParentID;  // catalog that receives the folder's own catalog
    std::string strTag;
    // The engine tasks of the folder's files, in the order they were handed to the engine.
    std::vector<int32_t> vecFileIDs;
    // Written by the transfer list when the folder is done, for its uploaded view.
    uint64_t ullSize = 0;
    std::string strNetPath;
    std::string strSpeed;
    uint32_t nUsedTime = 0;
};

using CatalogTaskList = std::vector<tagCatalogTask>;

struct tagCatalogSize {
    uint64_t ullSize = 0;
    std::string strPath;
};

using CatalogSizeList = std::vector<tagCatalogSize>;
