#pragma once
// A forward-searching XML cursor over a document held in memory. Texts in and out are GB18030.
//
// The position is three levels: the parent element, the main element (the current one among the
// parent's children) and the child element (the current one among the main element's children).
// FindElem searches the parent's children after the main position; FindChildElem the main element's
// children after the child position; IntoElem steps down (main becomes parent, child becomes main),
// OutOfElem steps up. Add* append after the current position and make the new element current.

#include <memory>
#include <string>

class CXML {
public:
    CXML();
    ~CXML();
    CXML(const CXML&) = delete;
    CXML& operator=(const CXML&) = delete;

    // Parses the document and resets the position; false (and an empty document) when not well-formed.
    bool SetDoc(const std::string& doc);
    // Back to before the first top-level element.
    void ResetPos();
    // Next sibling after the main position named name (any name when null or empty).
    bool FindElem(const char* name = nullptr);
    // Next child of the main element after the child position named name.
    bool FindChildElem(const char* name = nullptr);
    bool IntoElem();
    bool OutOfElem();

    std::string GetAttrib(const char* name) const;       // of the main element; empty when absent
    std::string GetChildAttrib(const char* name) const;  // of the child element
    std::string GetData() const;                         // text of the main element
    std::string GetChildData() const;                    // text of the child element

    // Appends an element (with optional text data) after the main position / under the main element.
    bool AddElem(const char* name, const std::string& data = {});
    bool AddChildElem(const char* name, const std::string& data = {});
    bool AddAttrib(const char* name, const std::string& value);
    bool AddChildAttrib(const char* name, const std::string& value);
    // Replaces the main element's content with the given markup, parsed as content. Text that is not
    // well-formed markup is kept as text (escaped), so the document always stays well-formed.
    bool SetElemContent(const std::string& markup);

    // The document text.
    std::string GetDoc() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
