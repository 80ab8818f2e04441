#include "LanguageFile.h"

#include <fstream>
#include <sstream>

namespace nimbra::app {

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

std::optional<LanguageFile> LanguageFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return Parse(content.str());
}

LanguageFile LanguageFile::Parse(const std::string& content) {
    LanguageFile file;
    std::istringstream lines(content);
    std::string section;
    for (std::string line; std::getline(lines, line);) {
        line = Trimmed(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos || section.empty())
            continue;
        const std::string key = Trimmed(line.substr(0, equals));
        if (!key.empty())
            file.m_texts[{section, key}] = Unquoted(Trimmed(line.substr(equals + 1)));
    }
    return file;
}

std::optional<std::string> LanguageFile::Text(const std::string& section, const std::string& key) const {
    const auto found = m_texts.find({section, key});
    if (found == m_texts.end())
        return std::nullopt;
    return found->second;
}

}  // namespace nimbra::app
