#include "uic/UICUploadFile/download/DownloadNames.h"

#include <cstdio>

#include "platform/CodePage.h"

std::string DownloadExtension(const std::string& name) {
    // "." is never a byte inside a double- or four-byte GB18030 character, so a byte search is safe.
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string DownloadFilter(const std::string& extension) {
    const std::string all = "所有文件 (*.*)|*.*||";
    if (extension.empty()) {
        return all;
    }
    const std::string pattern = "*." + extension;
    return extension + " Files " + " (" + pattern + ")|" + pattern + "|" + all;
}

std::string WithDownloadExtension(const std::string& path, const std::string& extension) {
    if (extension.empty()) {
        return path;
    }
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        return path + "." + extension;
    }
    return path.compare(dot + 1, std::string::npos, extension) == 0 ? path
                                                                    : path.substr(0, dot + 1) + extension;
}

std::string LocalDownloadName(const std::string& name) {
    // A "\" byte can be the second byte of a GB18030 character, so the separators are looked for in UTF-8.
    const std::string utf8 = Gb18030ToUtf8(name);
    const size_t separator = utf8.find_last_of("/\\");
    const std::string last = separator == std::string::npos ? utf8 : utf8.substr(separator + 1);
    if (last.empty() || last == "." || last == "..") {
        return {};
    }
    return separator == std::string::npos ? name : Utf8ToGb18030(last);
}

std::string LocalDownloadPath(const std::string& path) {
    // Split in UTF-8, where "/" and "\" are never part of another character.
    const std::string utf8 = Gb18030ToUtf8(path);
    std::string joined;
    size_t start = 0;
    for (;;) {
        const size_t separator = utf8.find_first_of("/\\", start);
        const std::string part =
            utf8.substr(start, separator == std::string::npos ? std::string::npos : separator - start);
        if (part.empty() || part == "." || part == "..") {
            return {};
        }
        joined += part;
        if (separator == std::string::npos) {
            break;
        }
        joined += '/';
        start = separator + 1;
    }
    return Utf8ToGb18030(joined);
}

std::string NumberedName(const std::string& name, int n) {
    const size_t dot = name.rfind('.');
    const size_t end = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, end) + "(" + std::to_string(n) + ")" + name.substr(end);
}

std::string NumberedPath(const std::string& path, int n) {
    // "/" is never a byte inside a GB18030 character.
    const size_t slash = path.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, start) + NumberedName(path.substr(start), n);
}

std::string FreeFolderSuffix(const std::string& base, const std::string& name,
                             const std::function<bool(const std::string&)>& exists) {
    std::string suffix;
    for (int n = 2; exists(base + name + suffix); ++n) {
        // Formatted, not concatenated: GCC's -O3 misreads "(" + std::string as overlapping copies.
        char text[16];
        std::snprintf(text, sizeof text, "(%d)", n);
        suffix = text;
    }
    return suffix;
}
