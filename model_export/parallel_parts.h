// Work shared out in parts that run at once, each on a thread of its own, the
// caller's among them: the conversion of one large mesh on several cores.
#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>

namespace model_export {

// The most parts work is shared out in.
inline constexpr std::size_t kMaxParts = 8;

// Runs work(k) for every part k below `parts` (at most kMaxParts): part 0 on
// the calling thread, each other one on a thread started for it. Returns once
// every part is done, so that all they wrote is seen by the caller. A part
// must not throw. A part whose thread cannot be started (the system out of
// threads) runs on the calling thread after part 0: the work is done either
// way, only later.
template <class Work>
void RunParts(std::size_t parts, const Work& work) {
  static_assert(noexcept(work(std::size_t{0})), "a part must not throw");
  parts = std::min(parts, kMaxParts);
  std::thread helpers[kMaxParts];
  for (std::size_t k = 1; k < parts; ++k) {
    try {
      helpers[k] = std::thread([&work, k] { work(k); });
    } catch (...) {
      // Left without a thread: done below, on this one.
    }
  }
  work(0);
  for (std::size_t k = 1; k < parts; ++k) {
    if (helpers[k].joinable())
      helpers[k].join();
    else
      work(k);
  }
}

}  // namespace model_export
