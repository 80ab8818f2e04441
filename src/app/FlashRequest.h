#pragma once
// The requests the upload component sends to the host's Flash pages (UTF-8 once they reach the host):
// an <invoke name="..."> document with <string> arguments, or the numbered form
// "callFlashExternalInterface" with a <number> and one <string>, whose string may itself be a small
// document (the dialog data document or the catalog creation document).

#include <optional>
#include <string>
#include <vector>

namespace nimbra::app {

inline constexpr long kFlashRefresh = 198626;
inline constexpr long kFlashCreateCatalog = 198757;
// The page's own function number for the target catalog dialog's answer.
inline constexpr long kFlashChooseTarget = 198700;
inline constexpr const char* kFlashUploadingFile = "UploadingFile";

struct FlashRequest {
    std::string function;
    std::vector<std::string> strings;
    std::optional<long> number;  // only in the numbered form

    static std::optional<FlashRequest> Parse(const std::string& document);
};

// <data><targetid isshared="N">ID</targetid></data>; for a catalog to be made, ID is "-1" and
// <parent>PARENT</parent><strPath>NAME</strPath> follow.
struct TargetChoice {
    std::string catalogId;
    bool shared = false;
    std::string newParentId;
    std::string newName;

    bool IsNewCatalog() const { return catalogId == "-1"; }
};
std::optional<TargetChoice> ReadTargetChoice(const std::string& document);

// <data><strPath>NAME</strPath><parent>ID</parent></data>
struct CatalogCreationRequest {
    std::string name;
    std::string parentId;
};
std::optional<CatalogCreationRequest> ReadCatalogCreationRequest(const std::string& document);

}  // namespace nimbra::app
