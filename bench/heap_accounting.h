// Heap accounting for the benchmarks: the executable replaces the C library's
// allocation functions (malloc, calloc, realloc, free and the aligned ones)
// and the global operator new and delete, so every allocation of the process
// (the plug-in's libraries, openNURBS's onmalloc, the SDK stand-in and the
// bridge library alike) is counted. While attribution is on, each allocation made with the bridge
// library on the call stack is counted as the bridge's: that is the copy the
// renderer keeps of what it was sent, which a real renderer holds in its own
// process. Everything else is the plug-in side's.
#pragma once

#include <cstdint>

namespace heap {

struct Counts {
  std::int64_t plugInLive = 0;   // bytes in use, allocated outside the bridge
  std::int64_t plugInPeak = 0;   // highest plugInLive since the last ResetPeak
  std::int64_t bridgeLive = 0;   // bytes in use, allocated by the bridge while attributing
  std::int64_t processPeak = 0;  // highest plugInLive + bridgeLive since the last ResetPeak
};

Counts Now();
void ResetPeak();

// Starts telling the bridge's allocations apart: finds the loaded library
// whose file name ends in `libraryFileName`. False when none is loaded.
// Slow: each allocation walks its call stack.
bool StartAttribution(const char* libraryFileName);
void StopAttribution();

}  // namespace heap
