#include "engine/TusClient.h"

#include "engine/Checksum.h"
#include "engine/ServiceAnswer.h"

namespace nimbra::engine {
namespace {

void AddPair(std::string& metadata, const char* key, const std::string& value) {
    if (value.empty()) {
        return;
    }
    if (!metadata.empty()) {
        metadata += ',';
    }
    metadata += key;
    metadata += ' ';
    metadata += Checksum::Base64(value);
}

void Begin(HttpRequest& request, const char* method, const std::string& url,
           const ConnectionSettings& settings) {
    request.Prepare(method, url, settings);
    request.AddHeader(std::string("Tus-Resumable: ") + TusClient::kVersion);
}

void AddChunk(HttpRequest& request, const HttpRequest::FileBody& body, const std::string& checksumBase64) {
    request.AddHeader("Content-Type: application/offset+octet-stream");
    if (!checksumBase64.empty()) {
        request.AddHeader(std::string("Upload-Checksum: ") + Checksum::kAlgorithm + " " + checksumBase64);
        request.SetFileBody(body);
    } else if (body.length > 0) {
        request.SetFileBodyWithChecksumTrailer(body);
    } else {
        request.SetFileBody(body);
    }
}

}  // namespace

std::string TusClient::Metadata(const TaskRecord& task) {
    std::string metadata;
    AddPair(metadata, "filename", task.displayName);
    AddPair(metadata, "parentCatalogId", task.parentCatalogId);
    AddPair(metadata, "newCatalogName", task.newCatalogName);
    AddPair(metadata, "tag", task.tag);
    AddPair(metadata, "description", task.description);
    AddPair(metadata, "appType", task.appType);
    AddPair(metadata, "complexFlag", task.complexFlag ? "1" : "0");
    AddPair(metadata, "complexCid", task.complexCid);
    AddPair(metadata, "creationKey", task.creationKey);
    return metadata;
}

void TusClient::Create(HttpRequest& request, const ConnectionSettings& settings, const TaskRecord& task,
                       const HttpRequest::FileBody& body, const std::string& checksumBase64) {
    Begin(request, "POST", task.endpointUrl, settings);
    request.AddHeader("Upload-Length: " + std::to_string(task.size));
    request.AddHeader("Upload-Metadata: " + Metadata(task));
    AddChunk(request, body, checksumBase64);
}

void TusClient::QueryOffset(HttpRequest& request, const ConnectionSettings& settings,
                            const std::string& uploadUrl) {
    Begin(request, "HEAD", uploadUrl, settings);
}

void TusClient::Append(HttpRequest& request, const ConnectionSettings& settings, const std::string& uploadUrl,
                       const HttpRequest::FileBody& body, const std::string& checksumBase64) {
    Begin(request, "PATCH", uploadUrl, settings);
    request.AddHeader("Upload-Offset: " + std::to_string(body.offset));
    AddChunk(request, body, checksumBase64);
}

void TusClient::Terminate(HttpRequest& request, const ConnectionSettings& settings,
                          const std::string& uploadUrl) {
    Begin(request, "DELETE", uploadUrl, settings);
}

void TusClient::PutThumbnail(HttpRequest& request, const ConnectionSettings& settings,
                             const std::string& uploadUrl, const HttpRequest::FileBody& body) {
    Begin(request, "PUT", uploadUrl + "/thumbnail", settings);
    request.AddHeader("Content-Type: image/jpeg");
    request.SetFileBody(body);
}

std::optional<uint64_t> TusClient::Offset(const HttpRequest& answer) {
    return ServiceAnswer::ParseUnsigned(answer.Header("upload-offset"));
}

}  // namespace nimbra::engine
