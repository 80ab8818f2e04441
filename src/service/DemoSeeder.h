#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/ServiceContext.h"

namespace nimbra::service {

// Gives a fresh data folder something to show: account "demo" (password "demo") with a few catalogs and
// files, a photo with a thumbnail, a skin archive under static/skins, and the crawler installer and ring tones
// the client downloads by address (DemoDownloads). Does nothing when "demo" exists.
class DemoSeeder final {
public:
    explicit DemoSeeder(ServiceContext& context) : m_context(context) {}
    void Seed();  // throws std::runtime_error when the data cannot be written

private:
    int64_t AddCatalog(int64_t accountId, int64_t parentId, const std::string& name);
    void AddFile(int64_t accountId, int64_t catalogId, const std::string& name, std::string_view content,
                 bool withThumbnail);
    void WriteSkinArchive();

    ServiceContext& m_context;
};

}  // namespace nimbra::service
