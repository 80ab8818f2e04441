#include "xml/XML.h"

#include <pugixml.hpp>

#include <cstring>
#include <set>
#include <sstream>
#include <string_view>

#include "platform/CodePage.h"

namespace {

constexpr unsigned kParseOptions = pugi::parse_default;
// Content keeps every construct it has so that none is dropped silently: whatever is not elements and
// text (a declaration, a doctype, comments, instructions) makes the content plain text.
constexpr unsigned kFragmentOptions = pugi::parse_default | pugi::parse_fragment | pugi::parse_declaration |
                                      pugi::parse_doctype | pugi::parse_comments | pugi::parse_pi;

bool NameMatches(const pugi::xml_node& node, const std::string& name) {
    return node.type() == pugi::node_element && (name.empty() || name == node.name());
}

// The next element after `from` among the children of `parent` (the first one when `from` is null).
pugi::xml_node FindSibling(const pugi::xml_node& parent, const pugi::xml_node& from,
                           const std::string& name) {
    for (pugi::xml_node node = from ? from.next_sibling() : parent.first_child(); node;
         node = node.next_sibling()) {
        if (NameMatches(node, name)) {
            return node;
        }
    }
    return {};
}

std::string Utf8Name(const char* name) {
    return name ? Gb18030ToUtf8(name) : std::string();
}

bool IsNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Element and attribute names are written unescaped, so only XML names may be used.
bool IsXmlName(const std::string& name) {
    if (name.empty() || !IsNameStart(static_cast<unsigned char>(name.front()))) {
        return false;
    }
    for (const char c : name) {
        if (!IsNameChar(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// Length of a UTF-8 sequence XML cannot carry even escaped at text[i] (control characters other than
// tab and line breaks, U+FFFE, U+FFFF), or 0.
size_t ForbiddenLength(std::string_view text, size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') {
        return 1;
    }
    if (b == 0xEF && text.substr(i, 2) == "\xEF\xBF" && i + 2 < text.size() &&
        (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
        return 3;
    }
    return 0;
}

bool HasForbiddenChars(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (ForbiddenLength(utf8, i) > 0) {
            return true;
        }
    }
    return false;
}

// A caller's text in UTF-8 with what XML cannot carry dropped, so that escaping alone keeps the
// document well-formed.
std::string XmlText(const std::string& gb18030) {
    const std::string utf8 = Gb18030ToUtf8(gb18030);
    std::string text;
    text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t forbidden = ForbiddenLength(utf8, i);
        if (forbidden > 0) {
            i += forbidden;
        } else {
            text += utf8[i++];
        }
    }
    return text;
}

// One element at the top and nothing else.
bool HasSingleRoot(const pugi::xml_document& doc) {
    int elements = 0;
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element || ++elements > 1) {
            return false;
        }
    }
    return elements == 1;
}

// pugixml accepts more than XML allows (repeated attributes, for one); content taken from a caller is
// checked so that the document written back is always well-formed. The walk is not recursive: deeply
// nested input must not exhaust the stack.
class WellFormedCheck final : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        m_sound = IsSound(node);
        return m_sound;
    }
    bool Sound() const { return m_sound; }

private:
    static bool IsSound(const pugi::xml_node& node) {
        switch (node.type()) {
            case pugi::node_element: {
                if (!IsXmlName(node.name())) {
                    return false;
                }
                std::set<std::string_view> names;
                for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                    if (!IsXmlName(a.name()) || !names.insert(a.name()).second ||
                        HasForbiddenChars(a.value())) {
                        return false;
                    }
                }
                return true;
            }
            case pugi::node_pcdata:
                return !HasForbiddenChars(node.value());
            case pugi::node_cdata:
                return !std::strstr(node.value(), "]]>") && !HasForbiddenChars(node.value());
            default:
                return false;
        }
    }

    bool m_sound = true;
};

bool IsWellFormedTree(pugi::xml_node node) {
    WellFormedCheck check;
    node.traverse(check);
    return check.Sound();
}

std::string TextOf(const pugi::xml_node& element) {
    if (!element) {
        return {};
    }
    std::string text;
    for (pugi::xml_node node = element.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element) {
            return {};
        }
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            text += node.value();
        }
    }
    return Utf8ToGb18030(text);
}

}  // namespace

struct CXML::Impl {
    pugi::xml_document doc;
    pugi::xml_node parent;
    pugi::xml_node main;
    pugi::xml_node child;

    Impl() { Reset(); }
    void Reset() {
        parent = doc;
        main = {};
        child = {};
    }
};

CXML::CXML() : m_impl(std::make_unique<Impl>()) {}

CXML::~CXML() = default;

bool CXML::SetDoc(const std::string& doc) {
    const std::string utf8 = Gb18030ToUtf8(doc);
    const pugi::xml_parse_result result =
        m_impl->doc.load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
    const bool wellFormed = result && HasSingleRoot(m_impl->doc) && IsWellFormedTree(m_impl->doc);
    if (!wellFormed) {
        m_impl->doc.reset();
    }
    m_impl->Reset();
    return wellFormed;
}

void CXML::ResetPos() {
    m_impl->Reset();
}

bool CXML::FindElem(const char* name) {
    const pugi::xml_node found = FindSibling(m_impl->parent, m_impl->main, Utf8Name(name));
    if (!found) {
        return false;
    }
    m_impl->main = found;
    m_impl->child = {};
    return true;
}

bool CXML::FindChildElem(const char* name) {
    // Without a main position the first element becomes it, as the cursor model has it.
    if (!m_impl->main && !FindElem()) {
        return false;
    }
    const pugi::xml_node found = FindSibling(m_impl->main, m_impl->child, Utf8Name(name));
    if (!found) {
        return false;
    }
    m_impl->child = found;
    return true;
}

bool CXML::IntoElem() {
    if (!m_impl->main) {
        return false;
    }
    m_impl->parent = m_impl->main;
    m_impl->main = m_impl->child;
    m_impl->child = {};
    return true;
}

bool CXML::OutOfElem() {
    if (m_impl->parent == m_impl->doc) {
        return false;
    }
    m_impl->child = m_impl->main;
    m_impl->main = m_impl->parent;
    m_impl->parent = m_impl->parent.parent();
    return true;
}

std::string CXML::GetAttrib(const char* name) const {
    return Utf8ToGb18030(m_impl->main.attribute(Utf8Name(name).c_str()).value());
}

std::string CXML::GetChildAttrib(const char* name) const {
    return Utf8ToGb18030(m_impl->child.attribute(Utf8Name(name).c_str()).value());
}

std::string CXML::GetData() const {
    return TextOf(m_impl->main);
}

std::string CXML::GetChildData() const {
    return TextOf(m_impl->child);
}

namespace {

// A new element with its text after `after` under `parent` (at the end when `after` is null).
pugi::xml_node InsertElement(pugi::xml_node& parent, const pugi::xml_node& after, const char* name,
                             const std::string& data) {
    const std::string utf8Name = Utf8Name(name);
    if (!parent || !IsXmlName(utf8Name)) {
        return {};
    }
    pugi::xml_node element = after ? parent.insert_child_after(pugi::node_element, after)
                                   : parent.append_child(pugi::node_element);
    element.set_name(utf8Name.c_str());
    const std::string text = XmlText(data);
    if (!text.empty()) {
        element.append_child(pugi::node_pcdata).set_value(text.c_str());
    }
    return element;
}

bool SetAttribute(pugi::xml_node& element, const char* name, const std::string& value) {
    const std::string utf8Name = Utf8Name(name);
    if (!element || !IsXmlName(utf8Name)) {
        return false;
    }
    pugi::xml_attribute attribute = element.attribute(utf8Name.c_str());
    if (!attribute) {
        attribute = element.append_attribute(utf8Name.c_str());
    }
    return attribute.set_value(XmlText(value).c_str());
}

}  // namespace

bool CXML::AddElem(const char* name, const std::string& data) {
    // A document has one top element.
    if (m_impl->parent == m_impl->doc && m_impl->doc.document_element()) {
        return false;
    }
    const pugi::xml_node element = InsertElement(m_impl->parent, m_impl->main, name, data);
    if (!element) {
        return false;
    }
    m_impl->main = element;
    m_impl->child = {};
    return true;
}

bool CXML::AddChildElem(const char* name, const std::string& data) {
    const pugi::xml_node element = InsertElement(m_impl->main, m_impl->child, name, data);
    if (!element) {
        return false;
    }
    m_impl->child = element;
    return true;
}

bool CXML::AddAttrib(const char* name, const std::string& value) {
    return SetAttribute(m_impl->main, name, value);
}

bool CXML::AddChildAttrib(const char* name, const std::string& value) {
    return SetAttribute(m_impl->child, name, value);
}

bool CXML::SetElemContent(const std::string& markup) {
    pugi::xml_node& main = m_impl->main;
    if (!main) {
        return false;
    }
    while (main.first_child()) {
        main.remove_child(main.first_child());
    }
    m_impl->child = {};

    const std::string utf8 = Gb18030ToUtf8(markup);
    pugi::xml_document fragment;
    const pugi::xml_parse_result result =
        fragment.load_buffer(utf8.data(), utf8.size(), kFragmentOptions, pugi::encoding_utf8);
    if (result && IsWellFormedTree(fragment)) {
        for (pugi::xml_node node = fragment.first_child(); node; node = node.next_sibling()) {
            main.append_copy(node);
        }
        return true;
    }
    const std::string text = XmlText(markup);
    if (!text.empty()) {
        main.append_child(pugi::node_pcdata).set_value(text.c_str());
    }
    return true;
}

std::string CXML::GetDoc() const {
    std::ostringstream out;
    m_impl->doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return Utf8ToGb18030(out.str());
}
