#pragma once
// The MIME type registered for a file's extension, as the desktop's file-type database knows it.

#include <string>

// The extension is the text from the last '.' on; only the extension is looked at, never the content.
// "null" when nothing is registered for it or the name has no dot.
std::string GetContentType(const std::string& path);
