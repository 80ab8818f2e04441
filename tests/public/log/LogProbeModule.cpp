// A module with a module log of its own, for the test that its entries reach the file when it unloads.

#include "log/LogMacros.h"

extern "C" __attribute__((visibility("default"))) void LogProbeEntries(int count) {
    for (int i = 0; i < count; ++i) {
        NIMBRA_LOG("probe, Info = %d", i);
    }
}
