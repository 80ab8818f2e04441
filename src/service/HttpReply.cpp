#include "service/HttpReply.h"

#include <sstream>
#include <string>

namespace nimbra::service {

void ReplyError(httplib::Response& res, int status, int code) {
    pugi::xml_document doc;
    AppendResult(doc, code, false);
    ReplyXml(res, doc, status);
    res.set_header("X-Nimbra-Error", std::to_string(code));
}

void ReplyXml(httplib::Response& res, const pugi::xml_document& doc, int status) {
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    res.status = status;
    res.set_content(out.str(), "application/xml; charset=utf-8");
}

pugi::xml_node AppendResult(pugi::xml_document& doc, int code, bool wrapInRoot) {
    pugi::xml_node parent = wrapInRoot ? doc.append_child("root") : doc;
    pugi::xml_node result = parent.append_child("result");
    result.append_attribute("resultCode") = code;
    return result;
}

std::optional<std::string> ReadBoundedBody(const httplib::ContentReader& reader, size_t limit,
                                           httplib::Response& res) {
    std::string body;
    bool tooLarge = false;
    const bool complete = reader([&](const char* data, size_t size) {
        if (body.size() + size > limit) {
            tooLarge = true;
            return false;
        }
        body.append(data, size);
        return true;
    });
    if (tooLarge) {
        ReplyError(res, 413, kErrorRefused);
        res.set_header("Connection", "close");
        return std::nullopt;
    }
    if (!complete) {
        ReplyError(res, 400, kErrorServerFailure);
        return std::nullopt;
    }
    return body;
}

}  // namespace nimbra::service
