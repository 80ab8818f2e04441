#pragma once
// The directory of the running executable, with a trailing '/'.

#include <string>

// In the file system's own bytes (UTF-8), for opening files.
std::string ProgramDirUtf8();
// In the component's code page (GB18030), as the component's paths are kept.
std::string ProgramDir();
