#include "BenchClock.h"

#include <chrono>
#include <fstream>
#include <string>

namespace nimbra::bench {

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PeakRssMib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;  // the kernel reports kB
        }
    }
    return 0;
}

}  // namespace nimbra::bench
