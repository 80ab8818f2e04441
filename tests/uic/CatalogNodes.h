#pragma once
// Builds the catalog document the host hands the upload dialog, node by node.

#include <string>

inline std::string CatalogNode(const std::string& id, const std::string& parent, const std::string& name,
                               int cur = 0) {
    return "<catalogNode catalogID=\"" + id + "\" parentcatalogID=\"" + parent + "\" catalogName=\"" + name +
           "\" isShared=\"0\" CurDir=\"" + std::to_string(cur) + "\"/>";
}

// A successful document with the given upload URL, nodes and limit elements.
inline std::string CatalogResult(const std::string& url, const std::string& nodes,
                                 const std::string& limits) {
    return "<result resultCode=\"0\"><uploadUrl>" + url + "</uploadUrl><getWholeCatalog>" + nodes +
           "</getWholeCatalog>" + limits + "</result>";
}
