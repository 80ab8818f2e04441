#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "service/http/HttpLimits.h"

namespace nimbra::service {

struct ServiceOptions {
    std::filesystem::path dataDir;
    std::string host = "127.0.0.1";
    int port = 0;  // 0: any free port
    bool demo = false;
    bool testHooks = false;
    int64_t tokenTtlSeconds = 86400;
    int64_t defaultQuotaBytes = int64_t{10} << 30;
    int64_t maxFileBytes = int64_t{64} << 30;  // MaxUploadFilesSize
    int maxUploadFiles = 100;                  // MaxUploadFilesNumber
    // Uploads left alone (or finished) and tokens expired this long ago are forgotten.
    int64_t staleAfterSeconds = 7 * 86400;
    int64_t housekeepingIntervalSeconds = 3600;
    // How long a request for an upload waits for another request that holds it, before answering 423.
    int64_t uploadLockPatienceMs = 3000;
    HttpLimits http;
};

}  // namespace nimbra::service
