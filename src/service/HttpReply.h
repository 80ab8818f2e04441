#pragma once

#include <optional>
#include <string>

#include <pugixml.hpp>

#include "service/http/HttpExchange.h"

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
void ReplyError(HttpResponse& res, int status, int code);
// An XML document in UTF-8, without declaration, well-formed whatever bytes its texts hold.
void ReplyXml(HttpResponse& res, const pugi::xml_document& doc, int status = 200);
// Reads a whole request body of at most limit bytes. On failure it has answered already (413 when too
// large, with the connection closed; 400 when the body broke off) and returns nothing.
std::optional<std::string> ReadBoundedBody(HttpExchange& exchange, size_t limit);
// Reads a small body; a form body's fields join the request's (HttpRequest::Param).
std::optional<std::string> ReadFormBody(HttpExchange& exchange, size_t limit);
// `<root><result resultCode="CODE">`: the shape the client's cursor walks; returns the result element.
pugi::xml_node AppendResult(pugi::xml_document& doc, int code, bool wrapInRoot);

}  // namespace nimbra::service
