#include "uic/UICUploadFile/download/DownloadRequest.h"

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

// The File elements of the DownloadList under the root element; nothing when either element is missing.
std::optional<std::vector<DownloadEntry>> ParseList(const std::string& doc, const char* root) {
    CXML xml;
    xml.SetDoc(doc);
    xml.ResetPos();
    if (!xml.FindElem(root) || !xml.FindChildElem("DownloadList") || !xml.IntoElem()) {
        return std::nullopt;
    }
    std::vector<DownloadEntry> entries;
    while (xml.FindChildElem("File")) {
        entries.push_back({xml.GetChildAttrib("url"), xml.GetChildAttrib("name")});
    }
    return entries;
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
    return entries ? HandOver(kDownloadFolder, *entries, folder) : 0;
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
    const long result = HandOver(kDownloadFiles, *entries, WithSlash(chosen));
    if (result == 0) {
        ShowDownloading();
    }
    return result;
}

long CDownloadRequest::HandOver(const char* operation, const std::vector<DownloadEntry>& entries,
                                const std::string& folder) {
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(operation, "pIUIPUpload");
        return -1;
    }
    // Two tasks into one path would write one partial file together: a repeated name gets a number.
    std::set<std::string> taken;
    for (const DownloadEntry& entry : entries) {
        const std::string name = LocalDownloadName(entry.name);
        if (name.empty()) {
            LOG_ERROR(operation, "file name refused");
            continue;
        }
        std::string unique = name;
        for (int n = 2; !taken.insert(unique).second; ++n) {
            unique = NumberedName(name, n);
        }
        adapter->DownloadFile(entry.url, folder + unique, DOWNLOAD_KIND_ORDINARY, -1);
    }
    return 0;
}
