#pragma once
// One language file: "[SECTION]" headers and "KEY=text" lines in UTF-8. Lines starting with ';' or '#'
// are comments. Blanks around a text are dropped unless the text is in double quotes, which is how a
// text that is glued to a number or a name keeps its leading or trailing blank.

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace nimbra::app {

class LanguageFile final {
public:
    // nullopt when the file cannot be read.
    static std::optional<LanguageFile> Load(const std::string& path);
    static LanguageFile Parse(const std::string& content);

    // The UTF-8 text of key in section, or nullopt when either is missing.
    std::optional<std::string> Text(const std::string& section, const std::string& key) const;
    const std::map<std::pair<std::string, std::string>, std::string>& Texts() const { return m_texts; }

private:
    std::map<std::pair<std::string, std::string>, std::string> m_texts;  // (section, key) -> text
};

}  // namespace nimbra::app
