#pragma once
// The naming rules of the network-disk downloads: the extension a requested name keeps, the save dialog's
// filter for it, the correction of the path the user chose, the local name a requested name may become,
// and the free name of a new folder. Texts are GB18030; local paths use '/'.

#include <functional>
#include <string>

// The text after the last "." of the name; empty when the name has none (such a name is saved as chosen).
std::string DownloadExtension(const std::string& name);
// "gz Files  (*.gz)|*.gz|所有文件 (*.*)|*.*||"; only the all-files part without an extension.
std::string DownloadFilter(const std::string& extension);
// The chosen path with the extension of the requested name: appended when the file-name part has no ".",
// replacing a different one otherwise. Unchanged without an extension.
std::string WithDownloadExtension(const std::string& path, const std::string& extension);
// The requested name as a single file name inside the chosen folder: its last component after any "/" or
// "\". Empty when nothing usable is left ("", "." or ".."): such a file is not downloaded.
std::string LocalDownloadName(const std::string& name);
// A path below the chosen folder as a folder download gives it ("sub/deeper/name", "/" or "\" between
// its parts), joined with '/'. Empty when any part is empty, "." or "..": a path that is absolute or climbs
// out is refused whole rather than cut down, since its place in the tree would be wrong.
std::string LocalDownloadPath(const std::string& path);
// The name with "(n)" before its extension: "a(2).jpg", "notes(3)".
std::string NumberedName(const std::string& name, int n);
// The same for the last part of a '/'-separated path: "sub/a(2).jpg", "v1.2/notes(2)".
std::string NumberedPath(const std::string& path, int n);
// "" when base + name does not exist, else the first of "(2)", "(3)", ... with which it does not.
std::string FreeFolderSuffix(const std::string& base, const std::string& name,
                             const std::function<bool(const std::string&)>& exists);
