#pragma once
// Percentages of a task's progress. Sizes are 64-bit: a percentage is never computed in 32 bits (where done
// x 100 overflows above about 42 MB) and a task of size 0 is at 0 %, never a division by zero. An engine
// that reports more done than the size is shown complete, not above 100 %.

#include <cstdint>
#include <string>

class CTaskProgress {
public:
    // Whole percent, fraction dropped: 0 to 100.
    static uint32_t Percent(uint64_t done, uint64_t size);
    // "%0.1f%" of done / size; empty for a task of size 0.
    static std::string PercentText(uint64_t done, uint64_t size);
};
