// The view-sync thread in process: the SDK stand-in's active view on this
// thread, the view-sync thread started through sync/view_sync.h, and beside
// the executable a bridge library built for this benchmark (camera_bridge.cpp)
// that notes the moment each camera arrives.
//
// - Still view: the process's CPU time over two seconds while the view does
//   not change; this thread sleeps meanwhile, so the time is the view-sync
//   thread's.
// - Delay: the view is changed at a random moment of the thread's poll, past
//   the pause after the previous send, and the delay runs from the change to
//   the moment the bridge received the camera.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "RhinoSdk.h"
#include "bench/bench_clock.h"
#include "bridge/library_location.h"
#include "platform/platform.h"
#include "renderer_link/view_sync.h"

namespace {

using renderer_link::ViewSyncIdle;
using renderer_link::ViewSyncShared;

using bench::Clock;
using CameraSendsFn = std::int64_t (*)(std::int64_t* lastSendNs);

ON_Viewport ViewAt(double x, double y, double z) {
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::perspective_view);
  vp.SetCameraLocation(ON_3dPoint(x, y, z));
  vp.SetCameraDirection(ON_3dPoint(0, 0, 0) - ON_3dPoint(x, y, z));
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  const double h = std::tan(ON_RadiansFromDegrees(30.0));
  vp.SetFrustum(-h, h, -0.75 * h, 0.75 * h, 1.0, 1000.0);
  return vp;
}

struct Fixture {
  CRhinoDoc doc;
  CRhinoView* view = nullptr;
  CameraSendsFn cameraSends = nullptr;

  Fixture() {
    doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Meters));
    view = &RhinoApp().StandinCreateView();
    view->ActiveViewport().SetVP(ViewAt(10, 0, 5), TRUE);
    // The same library the view-sync thread loads: the one beside the executable.
    platform::ModuleHandle bridge =
        platform::LoadLibraryFromPath(bridge::LibraryPath(bridge::PlugInFolder()));
    cameraSends =
        reinterpret_cast<CameraSendsFn>(platform::FindExport(bridge, "OrvexBenchCameraSends"));
  }

  std::int64_t Sends(std::int64_t* lastNs = nullptr) const { return cameraSends(lastNs); }
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  return true;
}

// A view-sync thread for the length of one benchmark.
class RunningViewSync {
 public:
  explicit RunningViewSync(Fixture& f)
      : m_shared(std::make_shared<ViewSyncShared>()), m_idle(ON_nil_uuid, m_shared) {
    m_idle.Register();
    m_shared->SetDocument(&f.doc);
    const std::int64_t before = f.Sends();
    renderer_link::StartViewSyncThread(m_shared, m_bridge);
    // The first pass sends at once.
    m_started = WaitUntil([&] { return f.Sends() > before; }, std::chrono::seconds(2));
  }
  ~RunningViewSync() {
    m_shared->StopThreads();
    m_shared->SetDocument(nullptr);
    WaitUntil([&] { return m_shared->threadsRunning.load() == 0; }, std::chrono::seconds(2));
  }
  bool Started() const { return m_started; }

 private:
  std::shared_ptr<ViewSyncShared> m_shared;
  ViewSyncIdle m_idle;
  // Not taken up: the thread takes up its own handle, loading the library.
  bridge::Bridge m_bridge;
  bool m_started = false;
};

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void BM_ViewSyncStillView(benchmark::State& state) {
  Fixture& f = TheFixture();
  if (!f.cameraSends) {
    state.SkipWithError("the benchmark's bridge library is not beside the executable");
    return;
  }
  RunningViewSync sync(f);
  if (!sync.Started()) {
    state.SkipWithError("the view-sync thread sent no camera");
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // past the pause after a send
  double cpu = 0, wall = 0;
  std::int64_t sends = 0;
  for (auto _ : state) {
    const std::int64_t before = f.Sends();
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    cpu += ProcessCpuSeconds() - cpu0;
    wall += seconds;
    sends += f.Sends() - before;
    state.SetIterationTime(seconds);
  }
  state.counters["cpu_ms"] = 1e3 * cpu / static_cast<double>(state.iterations());
  state.counters["core_percent"] = 100.0 * cpu / wall;
  state.counters["cameras_sent"] = static_cast<double>(sends);
}

void BM_ViewChangeToCameraSend(benchmark::State& state) {
  Fixture& f = TheFixture();
  if (!f.cameraSends) {
    state.SkipWithError("the benchmark's bridge library is not beside the executable");
    return;
  }
  RunningViewSync sync(f);
  if (!sync.Started()) {
    state.SkipWithError("the view-sync thread sent no camera");
    return;
  }
  std::mt19937 random(7);
  std::uniform_int_distribution<int> phase(0, 10000);
  std::vector<double> delays;
  int step = 0;
  for (auto _ : state) {
    // Past the 40 ms pause that follows the previous send, at a random moment
    // of the poll.
    std::this_thread::sleep_for(std::chrono::milliseconds(50) +
                                std::chrono::microseconds(phase(random)));
    const std::int64_t before = f.Sends();
    const auto changed = Clock::now();
    ++step;
    f.view->ActiveViewport().SetVP(ViewAt(10, 0.5 * step, 5), TRUE);
    rhino_standin::RaiseIdle(step);  // the host idles after the change
    std::int64_t lastNs = 0;
    if (!WaitUntil([&] { return f.Sends(&lastNs) > before; }, std::chrono::seconds(2))) {
      state.SkipWithError("a view change was not sent");
      break;
    }
    const double delay =
        1e-9 * static_cast<double>(lastNs - std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                changed.time_since_epoch())
                                                .count());
    delays.push_back(delay);
    state.SetIterationTime(delay);
  }
  if (delays.empty()) return;
  std::sort(delays.begin(), delays.end());
  state.counters["median_ms"] = 1e3 * delays[delays.size() / 2];
  state.counters["min_ms"] = 1e3 * delays.front();
  state.counters["max_ms"] = 1e3 * delays.back();
}

}  // namespace

BENCHMARK(BM_ViewSyncStillView)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewChangeToCameraSend)
    ->Iterations(25)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
