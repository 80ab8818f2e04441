#pragma once
// What the folder upload needs from the component around it, and nothing more: the transfer list's
// folder rows, the engine adapter that takes the folders' batches, the network-disk page that creates
// their catalogs, and the upload server they go to. The upload dialog is the real site; tests give their own.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "host/UIUploadDefine.h"
#include "uic/UICUploadFile/folder/CatalogTask.h"

class IUICNetDisk;
class IUIPUpload;

// The transfer list as the folder upload sees it: one row per folder, following the folder's files.
class IFolderTransferList {
public:
    virtual void SetCatalogTimer(bool start) = 0;
    // The folders with their states and the engine tasks of their files so far.
    virtual void SetCatalogTask(const CatalogTaskList& files, size_t index, const CatalogSizeList& sizes) = 0;
    // Rows for folders that have none yet.
    virtual void CreatCatalogRun(const CatalogTaskList& files) = 0;

protected:
    ~IFolderTransferList() = default;
};

// What the transfer list's Start, Pause and Delete ask of the folder upload for a folder row. Each acts on
// every running and waiting file of the folder at once.
class IFolderCommands {
public:
    // False when the engine refused to pause (or resume) one of the folder's files.
    virtual bool PauseFolder(const std::string& path) = 0;
    virtual bool StartFolder(const std::string& path) = 0;
    // The folder's engine tasks are deleted and nothing more of it is sent.
    virtual void DeleteFolder(const std::string& path) = 0;

protected:
    ~IFolderCommands() = default;
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
    // Runs the work once the user-interface thread is back in its event loop, so that input and painting
    // come between two pieces of a folder upload. Dropped when the site goes.
    virtual void Later(std::function<void()> work) = 0;

protected:
    ~IFolderUploadSite() = default;
};
