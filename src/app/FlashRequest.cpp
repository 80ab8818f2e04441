#include "FlashRequest.h"

#include <cstdlib>
#include <pugixml.hpp>
#include <sstream>

namespace nimbra::app {

namespace {

bool Load(pugi::xml_document& doc, const std::string& text) {
    return static_cast<bool>(
        doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
}

// An argument of the general form is placed as content, so it may hold markup: keep it as text.
std::string InnerText(pugi::xml_node node) {
    std::ostringstream out;
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            out << child.value();
        } else {
            child.print(out, "", pugi::format_raw);
        }
    }
    return out.str();
}

}  // namespace

std::optional<FlashRequest> FlashRequest::Parse(const std::string& document) {
    pugi::xml_document doc;
    if (!Load(doc, document))
        return std::nullopt;
    const pugi::xml_node invoke = doc.child("invoke");
    if (!invoke || !invoke.attribute("name"))
        return std::nullopt;
    FlashRequest request;
    request.function = invoke.attribute("name").value();
    const pugi::xml_node arguments = invoke.child("arguments");
    if (const pugi::xml_node number = arguments.child("number")) {
        const std::string text = number.text().get();
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0')
            return std::nullopt;
        request.number = value;
    }
    for (pugi::xml_node argument : arguments.children("string"))
        request.strings.push_back(InnerText(argument));
    return request;
}

std::optional<TargetChoice> ReadTargetChoice(const std::string& document) {
    pugi::xml_document doc;
    if (!Load(doc, document))
        return std::nullopt;
    const pugi::xml_node target = doc.child("data").child("targetid");
    if (!target)
        return std::nullopt;
    const pugi::xml_node data = doc.child("data");
    return TargetChoice{target.text().get(), target.attribute("isshared").as_int() != 0,
                        data.child("parent").text().get(), data.child("strPath").text().get()};
}

std::optional<CatalogCreationRequest> ReadCatalogCreationRequest(const std::string& document) {
    pugi::xml_document doc;
    if (!Load(doc, document))
        return std::nullopt;
    const pugi::xml_node data = doc.child("data");
    const pugi::xml_node name = data.child("strPath");
    const pugi::xml_node parent = data.child("parent");
    if (!name || !parent)
        return std::nullopt;
    return CatalogCreationRequest{name.text().get(), parent.text().get()};
}

}  // namespace nimbra::app
