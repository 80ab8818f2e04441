#include "uic/UICUploadFile/transfer/TransferText.h"

#include <array>

#include "function/ToolsHelp.h"
#include "uic/UICUploadFile/frame/LangFormat.h"

std::string FormatCount(const std::string& format, long value) {
    return FormatLangText(format, {std::to_string(value)});
}

std::string UploadText(const char* key) {
    return CToolsHelp::GetString(key, "UPLOAD");
}

std::string NextTryText(long seconds) {
    return FormatLangText(UploadText("IDS_UPLOAD_INFO_NEXT_TRY"),
                          {GetErrorInfoByCode(8000), std::to_string(seconds)});
}

std::string GetErrorInfoByCode(long code) {
    static constexpr std::array<long, 6> kKnownCodes = {8000, 9156, 9162, 9436, 9476, 9493};
    if (code == -1) {
        return {};
    }
    for (const long known : kKnownCodes) {
        if (code == known) {
            return UploadText(("IDS_UPLOAD_ERROR_" + std::to_string(code)).c_str());
        }
    }
    return FormatCount(UploadText("IDS_UPLOAD_ERROR_UNKNOW"), code);
}
