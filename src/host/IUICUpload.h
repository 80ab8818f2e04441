#pragma once
// The upload component's interface, in slot order (slots 0-8 come from IUSBase and IUICComponent).
// Texts are GB18030.

#include <cstddef>
#include <string>
#include <vector>

#include "host/IUSBase.h"
#include "host/UIUploadDefine.h"

class CUICUploadDlg;
class CUploadTaskListDlg;

class NIMBRA_EXPORT IUICUpload : public IUICComponent {
public:
    virtual long ShowUpload(const std::string& uploadDoc, HWND parent) = 0;             // 9
    virtual long ShowUpload(HWND parent, const std::string& uploadDoc, long flag) = 0;  // 10
    virtual long ShowTarget(const std::string& catalogDoc, long flashCallNumber) = 0;   // 11
    virtual long OnFlashEventFsCall(WPARAM wParam, LPARAM lParam) = 0;                  // 12
    virtual long Clean() = 0;                                                           // 13
    virtual long IsFileOnUploading() = 0;                                               // 14
    virtual long UploadDragFilesToNetDisk(const std::string& uploadDoc, const std::vector<std::string>& files,
                                          const std::vector<std::string>& folders, long unused) = 0;     // 15
    virtual long ShowTransmit(long show) = 0;                                                            // 16
    virtual long ReSetTransmitImageList() = 0;                                                           // 17
    virtual long DownloadFile(const std::string& requestDoc) = 0;                                        // 18
    virtual long DownloadFolder(const std::string& requestDoc) = 0;                                      // 19
    virtual long DownloadFiles(const std::string& requestDoc) = 0;                                       // 20
    virtual long DownloadSkin(const std::string& url, const std::string& archivePath, long skinId) = 0;  // 21
    virtual long InitUIP(const std::string& loginDoc) = 0;                                               // 22
    virtual long StartUpload(const UploadFileList& files, const tagUploadInfo& target, long flag) = 0;   // 23
    virtual long SetPreUploadParameterss(const std::string& uploadDoc) = 0;                              // 24
    virtual long UnZip(const std::string& archivePath, const std::string& targetFolder) = 0;             // 25
    virtual long DownloadSkinResult(long skinId, long success) = 0;                                      // 26
    virtual long DownloadNetreptile(const std::string& url, const std::string& localPath) = 0;           // 27
    virtual long DownloadNewFile(const std::string& url, const std::string& localPath) = 0;              // 28
    virtual long OpenDIYFile(long openFlag) = 0;                                                         // 29
    virtual long OnCreateNetCatalogResp(const std::string& answer) = 0;                                  // 30
    virtual CUICUploadDlg* GetUICUploadDlg() = 0;                                                        // 31
    virtual CUploadTaskListDlg* GetUploadTaskMngDlg() = 0;                                               // 32
    virtual long OnNetworkState(long connected) = 0;                                                     // 33
};

// Records the host hands to XSCInformation: integers little-endian at fixed offsets.
struct tagXSCInformation {
    uint32_t nHostField;      // 0: left as the host set it
    int32_t nValue1;          // 4: 308
    int32_t nValue2;          // 8: 0
    int32_t nValue3;          // 12: 1
    int32_t nYear;            // 16
    int32_t nMonth;           // 20
    int32_t nDay;             // 24
    int32_t nValue4;          // 28: 2005
    char szVendor[64];        // 32
    char szDescription[160];  // 96
};
static_assert(offsetof(tagXSCInformation, szVendor) == 32, "vendor name at byte 32");
static_assert(offsetof(tagXSCInformation, szDescription) == 96, "description at byte 96");

constexpr size_t XSC_INIT_RECORD_SIZE = 32;

// The component library's entry points, as a host resolves them with dlsym.
using XSCInitializeFn = long (*)(const void* initRecord);
using XSCQueryInterfaceFn = long (*)(const GUID* id, std::vector<IUSBase*>* list);
using XSCCmdCallBackFn = long (*)();
using XSCNtfCallBackFn = long (*)(uint32_t id);
using XSCInformationFn = long (*)(tagXSCInformation* info);
using XSCUninitializeFn = long (*)();
