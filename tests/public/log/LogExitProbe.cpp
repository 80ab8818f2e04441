// Logs the number of entries given on the command line through the module log and returns from main at
// once, for the test that every entry reaches the file when the process exits.

#include <cstdlib>
#include <string>

#include "log/LogMacros.h"

namespace {

// Made before the module log, so torn down after its writer has stopped.
class LateLogger {
public:
    ~LateLogger() { LOG_INFO("probe", "late"); }
};

}  // namespace

int main(int argc, char** argv) {
    static const LateLogger late;
    const int count = argc > 1 ? std::atoi(argv[1]) : 0;
    for (int i = 0; i < count; ++i) {
        LOG_INFO("probe", std::to_string(i).c_str());
    }
    return 0;
}
