#include "service/CreationRequest.h"

#include "service/Digest.h"
#include "service/HttpReply.h"
#include "service/NameRules.h"
#include "service/TusMetadata.h"

namespace nimbra::service {

namespace {

bool IsHexSha1(const std::string& text) {
    return text.size() == 40 && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

bool IsCreationKey(const std::string& text) {
    return text.size() <= 64 &&
           text.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_") ==
               std::string::npos;
}

// Bounds of the texts a file carries; a description may span lines (the client edits it in a text box).
constexpr size_t kMaxTagBytes = 255;
constexpr size_t kMaxDescriptionBytes = 4096;
constexpr size_t kMaxContentIdBytes = 255;

std::optional<int64_t> ParseNumber(const std::string& text) {
    if (text.empty())
        return 0;
    return ParseSize(text);
}

}  // namespace

std::variant<CreationRequest, Refusal> CreationRequest::Parse(const HttpRequest& req) {
    const Refusal refused{400, kErrorRefused};
    // Deferred lengths are not offered: the space is reserved when the upload is created.
    if (req.HasHeader("Upload-Defer-Length"))
        return refused;
    const auto length = ParseSize(req.Header("Upload-Length"));
    const std::string rawMetadata = req.Header("Upload-Metadata");
    const auto metadata = TusMetadata::Parse(rawMetadata);
    if (!length || !metadata || !IsAcceptableName(metadata->Get("filename")))
        return refused;

    CreationRequest request;
    request.newCatalogName = metadata->Get("newCatalogName");
    const std::string sha1 = metadata->Get("sha1");
    const auto appType = ParseNumber(metadata->Get("appType"));
    const auto complexFlag = ParseNumber(metadata->Get("complexFlag"));
    if ((!request.newCatalogName.empty() && !IsAcceptableName(request.newCatalogName)) ||
        (!sha1.empty() && !IsHexSha1(sha1)) || !appType || !complexFlag ||
        !IsCreationKey(metadata->Get("creationKey")) ||
        !IsAcceptableText(metadata->Get("tag"), kMaxTagBytes, false) ||
        !IsAcceptableText(metadata->Get("description"), kMaxDescriptionBytes, true) ||
        !IsAcceptableText(metadata->Get("complexCid"), kMaxContentIdBytes, false))
        return refused;
    const auto parent = ParseCatalogId(metadata->Get("parentCatalogId"));
    if (!parent)
        return Refusal{404, kErrorCatalogMissing};

    request.parentId = *parent;
    UploadRow& row = request.row;
    row.length = *length;
    row.filename = metadata->Get("filename");
    row.tag = metadata->Get("tag");
    row.description = metadata->Get("description");
    row.appType = *appType;
    row.complexFlag = *complexFlag;
    row.complexCid = metadata->Get("complexCid");
    row.expectedSha1 = sha1;
    row.metadata = rawMetadata;
    row.creationKey = metadata->Get("creationKey");
    row.hashState = FileSha1().SaveState();
    return request;
}

}  // namespace nimbra::service
