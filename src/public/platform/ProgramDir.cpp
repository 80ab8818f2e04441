#include "platform/ProgramDir.h"

#include <unistd.h>

#include <climits>
#include <vector>

#include "platform/CodePage.h"

std::string ProgramDirUtf8() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return "./";
        }
        if (static_cast<size_t>(n) < buffer.size()) {
            std::string path(buffer.data(), static_cast<size_t>(n));
            return path.substr(0, path.rfind('/') + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramDir() {
    return Utf8ToGb18030(ProgramDirUtf8());
}
