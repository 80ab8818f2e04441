#include "FolderTree.h"

#include <map>
#include <set>

namespace nimbra::app {

std::optional<FolderTree> ReadFolderTree(const NetDiskClient& disk, const std::string& catalogId,
                                         std::string& error) {
    const auto nodes = disk.Catalogs(error);
    if (!nodes)
        return std::nullopt;
    std::multimap<std::string, const CatalogNode*> children;
    for (const CatalogNode& node : *nodes)
        children.emplace(node.parentId, &node);
    FolderTree tree;
    // Depth first from the catalog, each folder with its path below it; a catalog is visited once even if
    // the service ever sent a loop.
    std::vector<std::pair<std::string, std::string>> pending{{catalogId, ""}};
    std::set<std::string> visited{catalogId};
    while (!pending.empty()) {
        const auto [id, path] = pending.back();
        pending.pop_back();
        if (!path.empty())
            tree.folders.push_back(path);
        const auto files = disk.Files(id, error);
        if (!files)
            return std::nullopt;
        const std::string prefix = path.empty() ? std::string() : path + "/";
        for (const DiskFile& file : *files)
            tree.files.push_back({disk.FileUrl(file.id), prefix + file.name});
        const auto [first, last] = children.equal_range(id);
        std::vector<std::pair<std::string, std::string>> below;
        for (auto child = first; child != last; ++child) {
            if (visited.insert(child->second->id).second)
                below.emplace_back(child->second->id, prefix + child->second->name);
        }
        // Pushed in reverse, so the folders come out in the service's order.
        for (auto child = below.rbegin(); child != below.rend(); ++child)
            pending.push_back(*child);
    }
    return tree;
}

}  // namespace nimbra::app
