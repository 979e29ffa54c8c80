// WaitUntil: polls a condition until it holds or a time limit passes.
#pragma once

#include <chrono>
#include <thread>

namespace test_support {

// Whether `condition` came to hold within `limit`, asked again every `poll`.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(5),
               std::chrono::microseconds poll = std::chrono::microseconds(200)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(poll);
  }
  return true;
}

}  // namespace test_support
