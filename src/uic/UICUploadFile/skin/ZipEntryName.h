#pragma once
// Where an archive entry may land below the folder it is unpacked into. Names are judged in the file
// system's bytes (UTF-8): only relative paths that stay below the folder are taken.

#include <string>
#include <string_view>

struct ZipEntryPath {
    std::string path;               // "a/b/c": no leading or trailing '/', no "." or empty segments
    bool folder = false;            // the name ended in '/'
    const char* refusal = nullptr;  // why the entry may not be unpacked; path is empty then
};

// Refuses backslashes (a separator elsewhere), absolute names, drive letters, ".." segments and NUL
// bytes (which would cut the name short where the file system reads it).
ZipEntryPath SafeZipEntryPath(std::string_view name);

// The entry's stored name in the file system's bytes: UTF-8 as it stands when the archive flags it as
// UTF-8 or it is valid UTF-8 anyway, else read as GB18030 (the code page of the archives' origin).
std::string ZipNameToUtf8(std::string_view stored, bool flaggedUtf8);
