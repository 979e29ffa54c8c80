// The view-sync thread in process: the SDK stand-in's active view and document
// on this thread, the real bridge stand-in (beside the executable) on the
// other, and its call log read back. Also measures the thread's idle CPU time
// and the delay from a view change to its camera send.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "RhinoSdk.h"
#include "common/renderer_frame.h"
#include "platform/platform.h"
#include "renderer_link/view_sync.h"
#include "tests/support/recording_host.h"
#include "tests/support/wait_until.h"

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

using common::CameraRecord;
using renderer_link::StartViewSyncThread;
using renderer_link::ViewSyncIdle;
using renderer_link::ViewSyncShared;
using test_support::WaitUntil;

// The call log in a folder of its own, message boxes recorded (from any
// thread), and one view of the application. Made by the first SetUp, before
// the first view-sync thread loads the bridge.
struct Process : test_support::InProcessHost {
  Process() : InProcessHost("orvex-sync") {}
  CRhinoView* view = &RhinoApp().StandinCreateView();
};

Process& TheProcess() {
  static Process process;
  return process;
}

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

class ViewSyncLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_logStart = TheProcess().log.Size();
    doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Meters));
    RhinoApp().StandinSetActiveView(TheProcess().view);
    SetView(ViewAt(10, 0, 5));
    shared->SetDocument(&doc);
    idle.Register();
  }

  void TearDown() override {
    shared->StopThreads();
    shared->SetDocument(nullptr);
    EXPECT_TRUE(WaitUntil([&] { return shared->threadsRunning.load() == 0; }))
        << "the view-sync thread did not end";
    const std::vector<test_support::ShownBox> boxes = TheProcess().host.Boxes();
    EXPECT_TRUE(boxes.empty()) << "a message box was shown: "
                               << platform::WideToUtf8(boxes[0].text);
    RhinoApp().StandinSetActiveView(TheProcess().view);
  }

  // Changes the view, then idles as the host does after a change.
  void SetView(const ON_Viewport& vp) {
    TheProcess().view->ActiveViewport().SetVP(vp, TRUE);
    rhino_standin::RaiseIdle(0);
  }

  // The camera sends logged since the test started.
  std::vector<json> Cameras() const {
    std::vector<json> cameras;
    for (json& call : TheProcess().log.CallsFrom(m_logStart))
      if (call["fn"] == "SetCameraTransformFov") cameras.push_back(std::move(call));
    return cameras;
  }

  bool WaitForCameras(size_t count) {
    return WaitUntil([&] { return Cameras().size() >= count; });
  }

  CRhinoDoc doc;
  std::shared_ptr<ViewSyncShared> shared = std::make_shared<ViewSyncShared>();
  ViewSyncIdle idle{ON_nil_uuid, shared};
  // Not taken up here: each thread takes up its own handle, loading the
  // library itself.
  bridge::Bridge bridge;

 private:
  std::size_t m_logStart = 0;
};

std::vector<float> Floats(const json& array) {
  std::vector<float> values;
  for (const json& v : array) values.push_back(v.get<float>());
  return values;
}

double Scale(ON::LengthUnitSystem units) {
  CRhinoDoc doc;
  doc.SetModelUnits(ON_UnitSystem(units));
  return common::RendererFrame(&doc).Scale();
}

std::vector<float> Expected(const ON_Viewport& vp, double scale) {
  const CameraRecord c = common::RendererFrame(scale).Camera(vp);
  return std::vector<float>(c.values, c.values + 9);
}

}  // namespace

TEST_F(ViewSyncLoopTest, SendsAtOnceThenOnlyWhenTheViewChangesAndNothingAfterStop) {
  StartViewSyncThread(shared, bridge);
  ASSERT_TRUE(WaitForCameras(1));
  EXPECT_EQ(Floats(Cameras()[0]["camera"]), Expected(ViewAt(10, 0, 5), 100.0));

  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(Cameras().size(), 1u) << "an unchanged view was sent again";

  SetView(ViewAt(0, 10, 5));
  ASSERT_TRUE(WaitForCameras(2));
  const auto cameras = Cameras();
  EXPECT_EQ(Floats(cameras[1]["camera"]), Expected(ViewAt(0, 10, 5), 100.0));
  EXPECT_EQ(cameras[0]["thread"], cameras[1]["thread"]);

  shared->StopThreads();
  // Once the flag is down no camera follows, even before the thread has ended.
  SetView(ViewAt(5, 5, 5));
  ASSERT_TRUE(WaitUntil([&] { return shared->threadsRunning.load() == 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(Cameras().size(), 2u);
}

TEST_F(ViewSyncLoopTest, MissingViewSendsNothingUntilOneIsActive) {
  RhinoApp().StandinSetActiveView(nullptr);
  StartViewSyncThread(shared, bridge);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_TRUE(Cameras().empty());
  RhinoApp().StandinSetActiveView(TheProcess().view);
  rhino_standin::RaiseIdle(0);
  ASSERT_TRUE(WaitForCameras(1));
  EXPECT_EQ(Floats(Cameras()[0]["camera"]), Expected(ViewAt(10, 0, 5), 100.0));
}

TEST_F(ViewSyncLoopTest, ANewThreadRetiresTheEarlierOneBeforeItSendsAgain) {
  StartViewSyncThread(shared, bridge);
  ASSERT_TRUE(WaitForCameras(1));
  const int first = Cameras()[0]["thread"];
  // Restarted at once, while the first thread is still in its pause after a send.
  StartViewSyncThread(shared, bridge);
  ASSERT_TRUE(WaitForCameras(2));
  for (int i = 0; i < 10; ++i) {
    SetView(ViewAt(10 - i, i, 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  ASSERT_TRUE(WaitUntil([&] { return shared->threadsRunning.load() == 1; }));
  const auto cameras = Cameras();
  ASSERT_GE(cameras.size(), 3u);
  for (size_t i = 1; i < cameras.size(); ++i) EXPECT_NE(cameras[i]["thread"], first) << i;
}

TEST_F(ViewSyncLoopTest, UnitsAndViewChangedOnThisThreadGiveConsistentCameras) {
  // The thread sends the view and the document's units while this thread
  // changes both; every camera is one of the four consistent combinations.
  const ON_Viewport a = ViewAt(10, 0, 5), b = ViewAt(0, 10, 5);
  StartViewSyncThread(shared, bridge);
  ASSERT_TRUE(WaitForCameras(1));
  for (int i = 0; i < 120; ++i) {
    doc.SetModelUnits(
        ON_UnitSystem(i % 3 ? ON::LengthUnitSystem::Millimeters : ON::LengthUnitSystem::Meters));
    SetView(i % 2 ? a : b);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  shared->StopThreads();
  const double m = Scale(ON::LengthUnitSystem::Meters);
  const double mm = Scale(ON::LengthUnitSystem::Millimeters);
  const std::set<std::vector<float>> consistent = {Expected(a, m), Expected(a, mm), Expected(b, m),
                                                   Expected(b, mm)};
  const auto cameras = Cameras();
  EXPECT_GE(cameras.size(), 3u);
  for (const json& c : cameras) EXPECT_EQ(consistent.count(Floats(c["camera"])), 1u) << c.dump();
}

// Idle cost: with the view unchanged the thread only polls. The process's CPU
// time over two seconds is the thread's, since this thread sleeps meanwhile.
TEST_F(ViewSyncLoopTest, IdleThreadUsesUnderTwoPercentOfACore) {
  StartViewSyncThread(shared, bridge);
  ASSERT_TRUE(WaitForCameras(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto cpuMs = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
  };
  const double before = cpuMs();
  const auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double used = cpuMs() - before;
  const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::cout << "view-sync thread, idle: " << used << " ms CPU over " << wall << " ms ("
            << 100.0 * used / wall << "% of one core)" << std::endl;
  RecordProperty("idle_cpu_ms", std::to_string(used));
  EXPECT_LT(used, 0.02 * wall);
  EXPECT_EQ(Cameras().size(), 1u);
}

// Delay from a change of view to the send that carries it, for changes made
// while the thread is idle, at a random moment of its poll.
TEST_F(ViewSyncLoopTest, ViewChangeReachesTheBridgeWithinFifteenMillisecondsMedian) {
  StartViewSyncThread(shared, bridge);
  ASSERT_TRUE(WaitForCameras(1));
  std::mt19937 random(7);
  std::uniform_int_distribution<int> phase(0, 10000);
  std::vector<double> delays;
  for (int i = 0; i < 25; ++i) {
    // Past the 40 ms pause that follows the previous send.
    std::this_thread::sleep_for(std::chrono::milliseconds(50) +
                                std::chrono::microseconds(phase(random)));
    const std::size_t before = TheProcess().log.Size();
    const auto changed = Clock::now();
    SetView(ViewAt(10, 0.5 * (i + 1), 5));
    if (!WaitUntil([&] { return TheProcess().log.Size() > before; }, std::chrono::seconds(2)))
      break;
    delays.push_back(std::chrono::duration<double, std::milli>(Clock::now() - changed).count());
  }
  ASSERT_EQ(delays.size(), 25u);
  ASSERT_EQ(Cameras().size(), 26u);
  std::sort(delays.begin(), delays.end());
  const double median = delays[delays.size() / 2];
  std::cout << "view change to camera send: median " << median << " ms, min " << delays.front()
            << " ms, max " << delays.back() << " ms" << std::endl;
  RecordProperty("median_delay_ms", std::to_string(median));
  EXPECT_LT(median, 15.0);
}
