#include "uic/UICUploadFile/download/DownloadRequest.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>

#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/download/DownloadNames.h"
#include "uic/UICUploadFile/frame/LangFormat.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"
#include "xml/XML.h"

namespace fs = std::filesystem;

// The folder last chosen for DownloadFolder; its browser starts there.
static std::string g_szBrowsePath;

namespace {

constexpr const char* kDownloadFile = "CUICUploadComp::DownloadFile";
constexpr const char* kDownloadFolder = "CUICUploadComp::DownloadFolder";
constexpr const char* kDownloadFiles = "CUICUploadComp::DownloadFiles";

// The File (or Folder) elements of the DownloadList under the root element; nothing when either element
// is missing.
std::optional<std::vector<DownloadEntry>> ParseList(const std::string& doc, const char* root,
                                                    const char* element = "File") {
    CXML xml;
    xml.SetDoc(doc);
    xml.ResetPos();
    if (!xml.FindElem(root) || !xml.FindChildElem("DownloadList") || !xml.IntoElem()) {
        return std::nullopt;
    }
    std::vector<DownloadEntry> entries;
    while (xml.FindChildElem(element)) {
        entries.push_back({xml.GetChildAttrib("url"), xml.GetChildAttrib("name")});
    }
    return entries;
}

// Makes the folder at a checked relative path below the target and tells whether it is there. A link in
// the way that leads out of the target is not followed: nothing is made outside it.
bool MakeFolderInside(const std::string& target, const std::string& relative) {
    std::error_code error;
    const fs::path base = fs::weakly_canonical(fs::path(Gb18030ToUtf8(target)), error);
    const fs::path wanted = fs::weakly_canonical(base / Gb18030ToUtf8(relative), error);
    const auto [baseEnd, wantedAt] = std::mismatch(base.begin(), base.end(), wanted.begin(), wanted.end());
    if (error || baseEnd != base.end() || wantedAt == wanted.end()) {
        return false;
    }
    fs::create_directories(wanted, error);
    return fs::is_directory(wanted, error);
}

std::string WithSlash(const std::string& folder) {
    return !folder.empty() && folder.back() == '/' ? folder : folder + '/';
}

bool PathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(Gb18030ToUtf8(path), error));
}

// A file (or link) in the way of a new download goes first; a folder is never removed.
void RemoveExistingFile(const std::string& path) {
    std::error_code error;
    const fs::path file(Gb18030ToUtf8(path));
    if (!fs::is_directory(fs::symlink_status(file, error))) {
        fs::remove(file, error);
    }
}

std::string SelectFolderTitle() {
    return CToolsHelp::GetString("IDS_UPLOAD_INFO_SELECT_FOLDER", "UPLOAD");
}

std::string ConfigFile() {
    return CToolsHelp::GetProgramDir() + "config.ini";
}

}  // namespace

CDownloadRequest::CDownloadRequest(CUICTransmitDlg* transferList, std::function<HWND()> questionOwner)
    : m_pTransferList(transferList), m_questionOwner(std::move(questionOwner)) {}

const std::string& CDownloadRequest::LastFolder() {
    return g_szBrowsePath;
}

void CDownloadRequest::ShowDownloading() {
    if (m_pTransferList) {
        m_pTransferList->DisposePanelLeft(IDC_VIEW_DOWNLOADING);
    }
}

long CDownloadRequest::DownloadFile(const std::string& doc) {
    ShowDownloading();
    CXML xml;
    xml.SetDoc(doc);
    xml.ResetPos();
    if (!xml.FindElem("DownloadList") || !xml.FindChildElem("File")) {
        return 0;
    }
    const std::string url = xml.GetChildAttrib("url");
    const std::string name = LocalDownloadName(xml.GetChildAttrib("name"));
    const std::string extension = DownloadExtension(name);
    IUICNetDisk* netDisk = GetHostInterface<IUICNetDisk>(IID_IUICNetDisk);
    if (!netDisk) {
        LOG_NULL(kDownloadFile, "pUINetDisk");
        return -1;
    }
    FileDialogOptions options;
    options.fileName = name;
    options.filter = DownloadFilter(extension);
    const std::string chosen = Services::GetPrompts().SaveFile(netDisk->GetComponentHwnd(), options);
    if (chosen.empty()) {
        return 0;
    }
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(kDownloadFile, "pIUIPUpload");
        return -1;
    }
    const std::string path = WithDownloadExtension(chosen, extension);
    RemoveExistingFile(path);
    adapter->DownloadFile(url, path, DOWNLOAD_KIND_ORDINARY, -1);
    return 0;
}

long CDownloadRequest::DownloadFolder(const std::string& doc) {
    CXML xml;
    xml.SetDoc(doc);
    xml.ResetPos();
    if (!xml.FindElem("DownloadFolder")) {
        return 0;
    }
    const std::string name = LocalDownloadName(xml.GetAttrib("Folder"));
    if (name.empty()) {
        LOG_ERROR(kDownloadFolder, "folder name refused");
        return 0;
    }
    IUICMainWnd* mainWnd = GetHostInterface<IUICMainWnd>(IID_IUICMainWnd);
    if (!mainWnd) {
        LOG_NULL(kDownloadFolder, "pUICMainWnd");
        return -1;
    }
    const std::string chosen = Services::GetPrompts().BrowseFolder(
        mainWnd->GetComponentHwnd(), SelectFolderTitle(), [] { return g_szBrowsePath; });
    if (chosen.empty()) {
        return 0;
    }
    g_szBrowsePath = chosen;
    const std::string folder = TargetFolder(WithSlash(chosen), name);
    if (folder.empty()) {
        return 0;
    }
    const auto entries = ParseList(doc, "DownloadFolder");
    if (!entries) {
        return 0;
    }
    // The folders of the tree first, so that empty ones are there too.
    const auto folders = ParseList(doc, "DownloadFolder", "Folder");
    for (const DownloadEntry& below : *folders) {
        const std::string path = LocalDownloadPath(below.name);
        if (path.empty() || !MakeFolderInside(folder, path)) {
            LOG_ERROR(kDownloadFolder, "folder name refused");
        }
    }
    return HandOver(kDownloadFolder, *entries, folder, LocalDownloadPath);
}

std::string CDownloadRequest::TargetFolder(const std::string& base, const std::string& name) {
    const std::string suffix = FreeFolderSuffix(base, name, PathExists);
    std::string folder = base + name;
    if (!suffix.empty()) {
        const std::string question = FormatLangText(
            CToolsHelp::GetString("IDS_UPLOAD_INFO_ALIKEFOLDER", "UPLOAD"), {name, name + suffix});
        const int answer = Services::GetPrompts().MessageBox(
            m_questionOwner(), question, CToolsHelp::GetString("IDS_GLOBAL_INFO_CONFIRM", "GLOBAL"),
            MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            return {};
        }
        if (answer == IDNO) {
            return folder + '/';
        }
        folder += suffix;
    }
    // A folder that cannot be made is not reported here: the engine reports each of its files as failed.
    std::error_code error;
    fs::create_directories(Gb18030ToUtf8(folder), error);
    return folder + '/';
}

long CDownloadRequest::DownloadFiles(const std::string& doc) {
    IUICNetDisk* netDisk = GetHostInterface<IUICNetDisk>(IID_IUICNetDisk);
    if (!netDisk) {
        LOG_NULL(kDownloadFiles, "pUINetDisk");
        return -1;
    }
    const std::string config = ConfigFile();
    const std::string chosen = Services::GetPrompts().BrowseFolder(
        netDisk->GetComponentHwnd(), SelectFolderTitle(),
        [&config] { return GetPrivateProfileString("PREPATH", "DOWNFILES", "", config.c_str()); });
    if (chosen.empty()) {
        return 0;
    }
    WritePrivateProfileString("PREPATH", "DOWNFILES", chosen.c_str(), config.c_str());
    const auto entries = ParseList(doc, "DownloadFiles");
    if (!entries) {
        return 0;
    }
    const long result = HandOver(kDownloadFiles, *entries, WithSlash(chosen), LocalDownloadName);
    if (result == 0) {
        ShowDownloading();
    }
    return result;
}

long CDownloadRequest::HandOver(const char* operation, const std::vector<DownloadEntry>& entries,
                                const std::string& folder,
                                const std::function<std::string(const std::string&)>& localPath) {
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(operation, "pIUIPUpload");
        return -1;
    }
    // Two tasks into one path would write one partial file together: a repeated name gets a number.
    std::set<std::string> taken;
    std::set<std::string> madeFolders;
    for (const DownloadEntry& entry : entries) {
        const std::string path = localPath(entry.name);
        const size_t slash = path.rfind('/');
        const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
        if (path.empty() ||
            (!parent.empty() && !madeFolders.count(parent) && !MakeFolderInside(folder, parent))) {
            LOG_ERROR(operation, "file name refused");
            continue;
        }
        madeFolders.insert(parent);
        std::string unique = path;
        for (int n = 2; !taken.insert(unique).second; ++n) {
            unique = NumberedPath(path, n);
        }
        adapter->DownloadFile(entry.url, folder + unique, DOWNLOAD_KIND_ORDINARY, -1);
    }
    return 0;
}
