#include "bench/core_round_trip.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace bench {

double CoreRoundTripNs(int trips) {
  // With one core the two threads would pass the ball once a time slice.
  if (std::thread::hardware_concurrency() < 2 || trips < 2) return 0;
  // Odd numbers go out, even ones come back.
  std::atomic<int> ball{0};
  std::thread other([&ball, trips] {
    for (int i = 0; i < trips; ++i) {
      while (ball.load(std::memory_order_acquire) != 2 * i + 1) {
      }
      ball.store(2 * i + 2, std::memory_order_release);
    }
  });
  // The other thread is under way once it has sent the first ball back.
  ball.store(1, std::memory_order_release);
  while (ball.load(std::memory_order_acquire) != 2) {
  }
  const auto start = std::chrono::steady_clock::now();
  for (int i = 1; i < trips; ++i) {
    ball.store(2 * i + 1, std::memory_order_release);
    while (ball.load(std::memory_order_acquire) != 2 * i + 2) {
    }
  }
  const auto end = std::chrono::steady_clock::now();
  other.join();
  return std::chrono::duration<double, std::nano>(end - start).count() / (trips - 1);
}

}  // namespace bench
