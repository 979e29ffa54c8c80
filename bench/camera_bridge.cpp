// A bridge library for the view-sync benchmark, loaded by the view-sync thread
// as OrvexPlugin: SetCameraTransformFov notes the moment each camera arrives
// (steady clock, the clock the benchmark reads), so the delay from a view
// change to its camera send is read off the call itself rather than found by
// polling. The benchmark reads the notes through OrvexBenchCameraSends.
#include <atomic>
#include <chrono>
#include <cstdint>

#include "bridge/bridge_api.h"

namespace {
std::atomic<std::int64_t> g_sends{0};
std::atomic<std::int64_t> g_lastSendNs{0};
}  // namespace

ORVEX_BRIDGE_EXPORT void SetCameraTransformFov(const float* camera9, float fov) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  (void)camera9;
  (void)fov;
  g_lastSendNs.store(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  g_sends.fetch_add(1);
}

// The number of cameras received so far; the moment the last one arrived.
ORVEX_BRIDGE_EXPORT std::int64_t OrvexBenchCameraSends(std::int64_t* lastSendNs) {
  const std::int64_t sends = g_sends.load();
  if (lastSendNs) *lastSendNs = g_lastSendNs.load();
  return sends;
}

ORVEX_CHECK_SIGNATURE(SetCameraTransformFov);
