#pragma once
// Opens a file with the program the desktop associates with it.

#include <string>

class Shell {
public:
    virtual ~Shell() = default;
    // path in GB18030. False when the file is missing or no program could be started for it.
    virtual bool OpenFile(const std::string& path) = 0;
};
