#include "uip/UIPUpload/TaskProgress.h"

#include <algorithm>
#include <cstdio>

uint32_t CTaskProgress::Percent(uint64_t done, uint64_t size) {
    if (size == 0) {
        return 0;
    }
    // done x 100 in 128 bits: exact for every 64-bit size.
    __extension__ using Wide = unsigned __int128;
    return static_cast<uint32_t>(static_cast<Wide>(std::min(done, size)) * 100 / size);
}

std::string CTaskProgress::PercentText(uint64_t done, uint64_t size) {
    if (size == 0) {
        return {};
    }
    const double percent = static_cast<double>(std::min(done, size)) / static_cast<double>(size) * 100.0;
    char text[16];
    std::snprintf(text, sizeof text, "%0.1f%%", percent);
    return text;
}
