#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/ServiceContext.h"

namespace nimbra::service {

// Gives a fresh data folder something to show: account "demo" (password "demo") with a few catalogs and
// files and a photo with a thumbnail (once: nothing is added when "demo" exists), under static/skins an
// archive of every skin the client does not ship, and the crawler installer and ring tones the client
// downloads by address (DemoDownloads; each written when missing).
class DemoSeeder final {
public:
    explicit DemoSeeder(ServiceContext& context) : m_context(context) {}
    void Seed();  // throws std::runtime_error when the data cannot be written

private:
    int64_t AddCatalog(int64_t accountId, int64_t parentId, const std::string& name);
    void AddFile(int64_t accountId, int64_t catalogId, const std::string& name, std::string_view content,
                 bool withThumbnail);
    void WriteSkinArchives();

    ServiceContext& m_context;
};

}  // namespace nimbra::service
