// The benchmarks' one clock, and its durations in seconds.
#pragma once

#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace bench
