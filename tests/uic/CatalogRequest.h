#pragma once
// The catalog creation request (Flash command 198757) that the folder upload sends through the
// network-disk page, read as a host reads it.

#include <optional>
#include <string>

#include "xml/XML.h"

struct CatalogRequest {
    std::string name;    // GB18030
    std::string parent;  // catalog id
};

// Nothing for any other Flash request.
inline std::optional<CatalogRequest> ReadCatalogRequest(const std::string& flashRequest) {
    CXML wrapper;
    wrapper.SetDoc(flashRequest);
    wrapper.FindElem("invoke");
    wrapper.IntoElem();
    wrapper.FindElem("arguments");
    wrapper.FindChildElem("number");
    if (wrapper.GetChildData() != "198757" || !wrapper.FindChildElem("string")) {
        return std::nullopt;
    }
    CXML data;
    data.SetDoc(wrapper.GetChildData());
    data.FindElem("data");
    CatalogRequest request;
    data.FindChildElem("strPath");
    request.name = data.GetChildData();
    data.FindChildElem("parent");
    request.parent = data.GetChildData();
    return request;
}
