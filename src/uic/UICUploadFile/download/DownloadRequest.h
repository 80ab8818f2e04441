#pragma once
// The downloads the host's network-disk page asks for: one file, a folder, or several files, each given as
// a small document. The user chooses where they go (a save dialog for one file, a folder browser for the
// others); each file becomes one task of the engine adapter, which the transfer list then shows.

#include <functional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

class CUICTransmitDlg;

// One File element of a request.
struct DownloadEntry {
    std::string url;
    std::string name;
};

class CDownloadRequest final {
public:
    // transferList: the transfer list when it exists (switched to its downloading page), else null.
    // questionOwner: the window that owns the question about an existing folder, asked only when needed.
    CDownloadRequest(CUICTransmitDlg* transferList, std::function<HWND()> questionOwner);

    // The three requests. Each answers -1 when a host interface or the engine adapter is missing (logged),
    // else 0, also when the document is unusable or the user cancels.
    long DownloadFile(const std::string& doc);
    long DownloadFolder(const std::string& doc);
    long DownloadFiles(const std::string& doc);

    // The folder the folder browser of DownloadFolder starts in: the one chosen last in this process.
    static const std::string& LastFolder();

private:
    void ShowDownloading();
    // The folder the files of DownloadFolder go into (with a trailing '/'); empty when the user cancels.
    std::string TargetFolder(const std::string& base, const std::string& name);
    // One engine task per usable entry, each into folder + its name as localPath makes it (refused when
    // empty), in the sub-folders it names.
    long HandOver(const char* operation, const std::vector<DownloadEntry>& entries, const std::string& folder,
                  const std::function<std::string(const std::string&)>& localPath);

    CUICTransmitDlg* m_pTransferList;
    std::function<HWND()> m_questionOwner;
};
