#pragma once
// Wall-clock seconds of a piece of work, and the peak memory of this process.

#include <functional>

namespace nimbra::bench {

double SecondsOf(const std::function<void()>& work);
// Peak resident set (VmHWM) in MiB.
double PeakRssMib();

}  // namespace nimbra::bench
