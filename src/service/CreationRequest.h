#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "service/UploadStore.h"
#include "service/http/HttpRequest.h"

namespace nimbra::service {

// How a request is refused: the status and the X-Nimbra-Error code.
struct Refusal {
    int status;
    int code;
};

// The upload a tus creation request asks for, read from Upload-Length and Upload-Metadata.
struct CreationRequest {
    UploadRow row;  // all but the id, the account and the catalog
    int64_t parentId = 0;
    std::string newCatalogName;

    static std::variant<CreationRequest, Refusal> Parse(const HttpRequest& req);
};

}  // namespace nimbra::service
