#pragma once
// What the folder upload needs from the component around it, and nothing more: the transfer list's
// folder rows, the engine adapter that takes the folders' batches, the network-disk page that creates
// their catalogs, and the upload server they go to. The upload dialog is the real site; tests give their own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/UIUploadDefine.h"
#include "uic/UICUploadFile/folder/CatalogTask.h"

class IUICNetDisk;
class IUIPUpload;

// The transfer list as the folder upload sees it: it shows the folders and the file being sent, and tells
// back which folders the user deleted there.
class IFolderTransferList {
public:
    virtual void SetCurTaskID(int32_t id) = 0;
    virtual void SetCatalogTimer(bool start) = 0;
    virtual void SetCatalogTask(const CatalogTaskList& files, size_t index, const CatalogSizeList& sizes) = 0;
    virtual void CreatCatalogRun(const CatalogTaskList& files) = 0;
    // Whether folders were deleted, and whether the running one was among them; both are cleared.
    virtual void GetCatalogResult(bool& removedAny, bool& currentRemoved) = 0;
    virtual void GetRemovedPaths(std::vector<std::string>& paths) const = 0;

protected:
    ~IFolderTransferList() = default;
};

class IFolderUploadSite {
public:
    // Each is null when it cannot be had; the folder upload logs which.
    virtual IFolderTransferList* FolderTransferList() = 0;
    virtual IUIPUpload* UploadAdapter() = 0;
    virtual IUICNetDisk* NetDiskPage() = 0;
    // Whether the component that receives the batches' reports is there.
    virtual bool HasComponent() = 0;
    // Shows the transfer list; false when the component is missing.
    virtual bool ShowTransferList() = 0;
    // Asks the network-disk page to show what arrived.
    virtual void RefreshNetDisk() = 0;
    // The upload server, request path and application type of the batches.
    virtual tagUploadInfo UploadServer() const = 0;

protected:
    ~IFolderUploadSite() = default;
};
