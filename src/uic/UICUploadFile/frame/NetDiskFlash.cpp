#include "uic/UICUploadFile/frame/NetDiskFlash.h"

#include "function/ToolsHelp.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"

namespace {

constexpr long kRefreshCommand = 198626;

}  // namespace

void CallNetDiskFlash(long number, const std::string& text, const char* caller) {
    IUICNetDisk* netDisk = GetHostInterface<IUICNetDisk>(IID_IUICNetDisk);
    if (!netDisk) {
        LOG_NULL(caller, "pIUICNetDisk");
        return;
    }
    std::string reply;
    netDisk->CallFlash(CToolsHelp::ConstructFlashXml2(number, text), reply);
}

void RequestNetDiskRefresh(const std::string& refreshId, const char* caller) {
    CallNetDiskFlash(kRefreshCommand, refreshId, caller);
}
