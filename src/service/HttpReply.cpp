#include "service/HttpReply.h"

#include <sstream>
#include <string>

#include "service/NameRules.h"

namespace nimbra::service {

void ReplyError(HttpResponse& res, int status, int code) {
    pugi::xml_document doc;
    AppendResult(doc, code, false);
    ReplyXml(res, doc, status);
    res.SetHeader("X-Nimbra-Error", std::to_string(code));
}

void ReplyXml(HttpResponse& res, const pugi::xml_document& doc, int status) {
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration | pugi::format_skip_control_chars,
             pugi::encoding_utf8);
    res.status = status;
    // Stored texts may predate the checks on them: the document stays well-formed for every client.
    res.SetContent(XmlSafeText(out.str()), "application/xml; charset=utf-8");
}

pugi::xml_node AppendResult(pugi::xml_document& doc, int code, bool wrapInRoot) {
    pugi::xml_node parent = wrapInRoot ? doc.append_child("root") : doc;
    pugi::xml_node result = parent.append_child("result");
    result.append_attribute("resultCode") = code;
    return result;
}

std::optional<std::string> ReadBoundedBody(HttpExchange& exchange, size_t limit) {
    std::string body;
    bool tooLarge = false;
    const auto end = exchange.Body().Read([&](const char* data, size_t size) {
        if (body.size() + size > limit) {
            tooLarge = true;
            return false;
        }
        body.append(data, size);
        return true;
    });
    if (tooLarge || end == RequestBody::End::TooLarge) {
        ReplyError(exchange.Response(), 413, kErrorRefused);
        exchange.Response().CloseConnection();
        return std::nullopt;
    }
    if (end != RequestBody::End::Complete) {
        ReplyError(exchange.Response(), 400, kErrorServerFailure);
        return std::nullopt;
    }
    return body;
}

std::optional<std::string> ReadFormBody(HttpExchange& exchange, size_t limit) {
    auto body = ReadBoundedBody(exchange, limit);
    if (body && exchange.Request().HasFormBody())
        exchange.Request().AddForm(*body);
    return body;
}

}  // namespace nimbra::service
