#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "service/DataLayout.h"
#include "service/ServiceOptions.h"

namespace nimbra::service {

struct ServiceContext;

// The network-disk service: accounts, catalogs, tus uploads, downloads and settings over HTTP,
// metadata in DATA/meta.db, file contents in DATA/files. Serves on its own threads once started.
class DiskService final {
public:
    explicit DiskService(ServiceOptions options);
    ~DiskService();
    DiskService(const DiskService&) = delete;
    DiskService& operator=(const DiskService&) = delete;

    // Opens the data folder and binds; false (see LastError) when either fails.
    bool Start();
    void Stop();
    int Port() const { return m_port; }
    std::string BaseUrl() const;
    const std::string& LastError() const { return m_error; }

    // Works before and after Start(); false when the name is taken or the data folder cannot be opened.
    bool AddAccount(const std::string& account, const std::string& password, int64_t quotaBytes);

private:
    struct Runtime;
    bool OpenStore();
    // Forgets stale uploads and tokens.
    void Prune();
    // Thumbnails stored before they counted against the quota are counted from their files.
    void CountOlderThumbnails();
    void Fail(const std::string& message);

    ServiceOptions m_options;
    DataLayout m_layout;
    std::unique_ptr<ServiceContext> m_context;
    std::unique_ptr<Runtime> m_runtime;
    int m_port = 0;
    std::string m_error;
};

}  // namespace nimbra::service
