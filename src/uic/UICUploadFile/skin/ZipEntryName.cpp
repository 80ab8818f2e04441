#include "uic/UICUploadFile/skin/ZipEntryName.h"

#include <QUtf8StringView>
#include <cctype>

#include "platform/CodePage.h"

ZipEntryPath SafeZipEntryPath(std::string_view name) {
    ZipEntryPath result;
    if (name.find('\0') != std::string_view::npos) {
        result.refusal = "NUL in the name";
        return result;
    }
    if (name.find('\\') != std::string_view::npos) {
        result.refusal = "backslash in the name";
        return result;
    }
    if (!name.empty() && name.front() == '/') {
        result.refusal = "absolute name";
        return result;
    }
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') {
        result.refusal = "drive letter in the name";
        return result;
    }
    result.folder = !name.empty() && name.back() == '/';
    std::string path;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find('/', start), name.size());
        const std::string_view segment = name.substr(start, end - start);
        if (segment == "..") {
            result.refusal = "parent folder in the name";
            return result;
        }
        if (!segment.empty() && segment != ".") {
            if (!path.empty()) {
                path += '/';
            }
            path += segment;
        }
        start = end + 1;
    }
    if (path.empty()) {
        result.refusal = "empty name";
        return result;
    }
    result.path = std::move(path);
    return result;
}

std::string ZipNameToUtf8(std::string_view stored, bool flaggedUtf8) {
    if (flaggedUtf8 || QUtf8StringView(stored.data(), static_cast<qsizetype>(stored.size())).isValidUtf8()) {
        return std::string(stored);
    }
    return Gb18030ToUtf8(stored);
}
