#pragma once

#include <httplib.h>

#include <optional>
#include <string>

#include <pugixml.hpp>

namespace nimbra::service {

// Error codes carried in X-Nimbra-Error and in resultCode.
enum ErrorCode : int {
    kErrorServerFailure = 8000,
    kErrorBadLogin = 9001,
    kErrorCatalogMissing = 9162,
    kErrorCatalogExists = 9424,
    kErrorNoSpace = 9436,
    kErrorSignOnExpired = 9476,
    kErrorRefused = 9493,
};

// A failure: the status, X-Nimbra-Error and a <result resultCode="CODE"/> body.
void ReplyError(httplib::Response& res, int status, int code);
// An XML document in UTF-8, without declaration.
void ReplyXml(httplib::Response& res, const pugi::xml_document& doc, int status = 200);
// Reads a whole request body of at most limit bytes. On failure it has answered already (413 when too
// large, with the connection closed; 400 when the body broke off) and returns nothing.
std::optional<std::string> ReadBoundedBody(const httplib::ContentReader& reader, size_t limit,
                                           httplib::Response& res);
// `<root><result resultCode="CODE">`: the shape the client's cursor walks; returns the result element.
pugi::xml_node AppendResult(pugi::xml_document& doc, int code, bool wrapInRoot);

}  // namespace nimbra::service
