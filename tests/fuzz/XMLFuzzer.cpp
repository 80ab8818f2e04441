// Feeds arbitrary bytes to the XML cursor: as a document (parsed, walked element by element, written
// and parsed again) and as element content. Whatever the input, nothing may crash and every document
// the cursor writes must parse again to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xml/XML.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Visits every element in document order with the cursor's own moves.
void WalkDepthFirst(CXML& xml) {
    xml.ResetPos();
    for (int steps = 0; steps < 1000000; ++steps) {
        if (xml.FindElem()) {
            xml.GetAttrib("catalogID");
            xml.GetData();
            Require(xml.IntoElem());
        } else if (!xml.OutOfElem()) {
            break;
        }
    }
}

// Reads the top element's children without entering it.
void WalkChildren(CXML& xml) {
    xml.ResetPos();
    while (xml.FindChildElem()) {
        xml.GetChildAttrib("catalogName");
        xml.GetChildData();
    }
}

void CheckDocument(const std::string& text) {
    CXML xml;
    if (!xml.SetDoc(text)) {
        Require(xml.GetDoc().empty());
        return;
    }
    WalkDepthFirst(xml);
    WalkChildren(xml);
    const std::string written = xml.GetDoc();
    CXML again;
    Require(again.SetDoc(written));
    Require(again.GetDoc() == written);
}

void CheckContent(const std::string& content) {
    CXML xml;
    Require(xml.AddElem("invoke"));
    Require(xml.AddChildElem("string"));
    Require(xml.IntoElem());
    Require(xml.SetElemContent(content));
    const std::string written = xml.GetDoc();
    CXML again;
    Require(again.SetDoc(written));
    Require(again.FindElem("invoke") && again.FindChildElem("string"));
    Require(!again.FindChildElem());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // Bytes up to the first NUL are the document, the rest the content (the whole input when none).
    const size_t split = input.find('\0');
    CheckDocument(input.substr(0, split));
    CheckContent(split == std::string::npos ? input : input.substr(split + 1));
    return 0;
}
