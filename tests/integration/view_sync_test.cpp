// Camera follow and named views through orvex-host and the bridge stand-in:
// the call log shows which thread sent each camera, in what order and when.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "command_names.h"
#include "host_sandbox.h"

using nlohmann::json;
using ::testing::ElementsAre;

namespace {

const char* kCamera = "SetCameraTransformFov";

const double kDegree = std::acos(-1.0) / 180.0;
const double kTan25 = std::tan(25 * kDegree);

// A perspective view from (1, 2, 3) at the origin, 50 degrees wide.
json LinkedDocument() {
  json doc = SavedDocument();
  doc["units"] = "meters";
  doc["view"] = {{"projection", "perspective"},
                 {"location", {1, 2, 3}},
                 {"direction", {-1, -2, -3}},
                 {"up", {0, 0, 1}},
                 {"target", {0, 0, 0}},
                 {"frustum", {-kTan25, kTan25, -0.75 * kTan25, 0.75 * kTan25, 1, 1000}}};
  return doc;
}

HostRun RunLinked(HostSandbox& sandbox, const json& doc, const std::vector<std::string>& commands) {
  sandbox.RememberRenderer();
  return sandbox.RunDocument(doc, commands);
}

// A host point and direction turned about the world Z axis through the origin.
struct Turned {
  double x, y, z;
};
Turned TurnAboutZ(double x, double y, double z, double degrees) {
  const double c = std::cos(degrees * kDegree), s = std::sin(degrees * kDegree);
  return {c * x - s * y, s * x + c * y, z};
}

// The camera of a call against host values: position (in centimetres),
// direction and up, each with X and Y exchanged.
void ExpectCamera(const json& call, const Turned& position, const Turned& direction,
                  const Turned& up, double fov) {
  const json& c = call.at("camera");
  ASSERT_EQ(c.size(), 9u);
  const double expected[9] = {position.y,  position.x, position.z, direction.y, direction.x,
                              direction.z, up.y,       up.x,       up.z};
  for (int i = 0; i < 9; ++i)
    EXPECT_NEAR(c[i].get<double>(), expected[i], 1e-4 * std::max(1.0, std::fabs(expected[i])))
        << "float " << i << " of " << call.dump();
  EXPECT_EQ(call.at("fov").get<double>(), fov);
}

// The document's view as first sent: at (1, 2, 3) m, looking at the origin.
void ExpectStartCamera(const json& call) {
  ExpectCamera(call, {100, 200, 300}, {-1, -2, -3}, {0, 0, 1}, 50.0);
}

// The same view orbited by 30 degrees about the origin.
void ExpectOrbitedCamera(const json& call, double scale = 100.0) {
  const Turned p = TurnAboutZ(1, 2, 3, 30);
  ExpectCamera(call, {scale * p.x, scale * p.y, scale * p.z}, TurnAboutZ(-1, -2, -3, 30), {0, 0, 1},
               50.0);
}

int Seq(const json& call) { return call.at("seq").get<int>(); }
int Thread(const json& call) { return call.at("thread").get<int>(); }
double Ms(const json& call) { return call.at("ms").get<double>(); }

}  // namespace

TEST(ViewSyncTest, StartSendsTheCameraAtOnceFromItsOwnThreadAndNoneWhileTheViewRests) {
  HostSandbox sandbox;
  const HostRun run = RunLinked(sandbox, LinkedDocument(), {kStart, "Wait 500", kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto cameras = run.Calls(kCamera);
  ASSERT_EQ(cameras.size(), 1u);
  ExpectStartCamera(cameras[0]);
  // The command thread is thread 0; the camera comes from a thread of its own,
  // right after the full send.
  EXPECT_EQ(Thread(run.Calls("StartLinkOrvexRender").at(0)), 0);
  EXPECT_NE(Thread(cameras[0]), 0);
  const json disconnect = run.Calls("DisConnect").at(0);
  EXPECT_GT(Seq(cameras[0]), Seq(disconnect));
  EXPECT_LT(Ms(cameras[0]) - Ms(disconnect), 100.0);
}

TEST(ViewSyncTest, OrbitSendsANewCameraFromTheSameThread) {
  HostSandbox sandbox;
  const HostRun run =
      RunLinked(sandbox, LinkedDocument(), {kStart, "Wait 100", "Orbit 30", "Wait 300", kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto cameras = run.Calls(kCamera);
  ASSERT_EQ(cameras.size(), 2u);
  ExpectStartCamera(cameras[0]);
  ExpectOrbitedCamera(cameras[1]);
  EXPECT_EQ(Thread(cameras[1]), Thread(cameras[0]));
}

TEST(ViewSyncTest, ViewSyncOffStopsTheSendsAndOnSendsAtOnceFromANewThread) {
  HostSandbox sandbox;
  const HostRun run = RunLinked(
      sandbox, LinkedDocument(),
      {kStart, "Wait 100", kViewSyncOff, "Orbit 30", "Wait 300", kViewSyncOn, "Wait 300", kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto cameras = run.Calls(kCamera);
  // Nothing for the orbit while off; one camera as soon as sync is back on.
  ASSERT_EQ(cameras.size(), 2u);
  ExpectStartCamera(cameras[0]);
  ExpectOrbitedCamera(cameras[1]);
  EXPECT_NE(Thread(cameras[1]), Thread(cameras[0]));
  EXPECT_NE(Thread(cameras[1]), 0);
  // The new thread loads its own bridge handle, then sends.
  const auto loads = run.Calls("SetOrvexRenderPath");
  const auto load = std::find_if(loads.begin(), loads.end(),
                                 [&](const json& c) { return Thread(c) == Thread(cameras[1]); });
  ASSERT_NE(load, loads.end());
  EXPECT_LT(Ms(cameras[1]) - Ms(*load), 100.0);
}

class EndOfLinkTest : public ::testing::TestWithParam<const char*> {};

TEST_P(EndOfLinkTest, NoCameraFollowsTheModelsDestruction) {
  HostSandbox sandbox;
  const HostRun run =
      RunLinked(sandbox, LinkedDocument(),
                {kStart, "Wait 100", GetParam(), "Orbit 30", "Wait 300", "Orbit 30", "Wait 300"});
  ASSERT_EQ(run.exitCode, 0);
  const auto destroyed = run.Calls("DestroyModel");
  ASSERT_EQ(destroyed.size(), 1u);
  const auto cameras = run.Calls(kCamera);
  ASSERT_EQ(cameras.size(), 1u);
  EXPECT_LT(Seq(cameras[0]), Seq(destroyed[0]));
}

INSTANTIATE_TEST_SUITE_P(StopAndClose, EndOfLinkTest,
                         ::testing::Values("OrvexConverterStop", "Close"));

TEST(ViewSyncTest, AtMostOneThreadSendsPerLinkAcrossQuickSwitchesAndASecondStart) {
  HostSandbox sandbox;
  const HostRun run = RunLinked(sandbox, LinkedDocument(),
                                {kStart, "Wait 100", kViewSyncOff, kViewSyncOn, "Orbit 10",
                                 "Wait 60", "Orbit 10", "Wait 60", "Orbit 10", "Wait 100", kStop,
                                 kStart, "Orbit 10", "Wait 60", "Orbit 10", "Wait 100", kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto cameras = run.Calls(kCamera);
  ASSERT_GE(cameras.size(), 5u);
  // Once a thread has sent, no earlier thread sends again: the threads of the
  // cameras, in log order, form unbroken runs.
  std::vector<int> runs;
  for (const json& c : cameras)
    if (runs.empty() || runs.back() != Thread(c)) runs.push_back(Thread(c));
  EXPECT_EQ(runs.size(), 3u) << "threads in send order: " << ::testing::PrintToString(runs);
  EXPECT_EQ(std::set<int>(runs.begin(), runs.end()).size(), runs.size())
      << "an earlier thread sent again: " << ::testing::PrintToString(runs);
  // Each link's cameras fall inside it.
  const auto destroyed = run.Calls("DestroyModel");
  ASSERT_EQ(destroyed.size(), 2u);
  const auto second = run.Calls("CreateModel").at(1);
  for (const json& c : cameras) {
    EXPECT_FALSE(Seq(c) > Seq(destroyed[0]) && Seq(c) < Seq(second)) << c.dump();
    EXPECT_LT(Seq(c), Seq(destroyed[1])) << c.dump();
  }
}

TEST(ViewSyncTest, SendModelEndsWithOneCameraFromTheCommandThread) {
  HostSandbox sandbox;
  const HostRun run = RunLinked(sandbox, LinkedDocument(),
                                {kStart, "Wait 100", kViewSyncOff, "Orbit 30", kSendModel, kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto cameras = run.Calls(kCamera);
  ASSERT_EQ(cameras.size(), 2u);
  ExpectStartCamera(cameras[0]);
  ExpectOrbitedCamera(cameras[1]);
  EXPECT_EQ(Thread(cameras[1]), 0);
  EXPECT_GT(Seq(cameras[1]), Seq(run.Calls("StartSend").back()));
}

TEST(ViewSyncTest, TwoPointViewsSendFortySevenDegreesAndViewsLookingDownAreRefused) {
  json lookingDown = LinkedDocument();
  lookingDown["view"]["direction"] = {0, 0, -1};
  const struct {
    json doc;
    std::vector<std::string> commands;
    int exitCode;
    double fov;  // of the camera the send-model command sends
  } rows[] = {{LinkedDocument(), {kStart, "Projection twopoint", kSendModel}, 0, 47.0},
              {LinkedDocument(),
               {kStart, "Projection twopoint", "Projection perspective", kSendModel},
               0,
               50.0},
              {lookingDown, {kStart, "Projection twopoint", kSendModel}, 2, 50.0}};
  for (const auto& row : rows) {
    HostSandbox sandbox;
    const HostRun run = RunLinked(sandbox, row.doc, row.commands);
    EXPECT_EQ(run.exitCode, row.exitCode) << row.commands[2];
    EXPECT_EQ(run.err.find("Projection: a two-point view keeps its camera upright on the Z axis, "
                           "so it cannot look straight up or down") != std::string::npos,
              row.exitCode == 2);
    ASSERT_FALSE(run.Calls(kCamera).empty());
    EXPECT_EQ(Thread(run.Calls(kCamera).back()), 0);
    EXPECT_EQ(run.Calls(kCamera).back().at("fov").get<double>(), row.fov) << row.commands[2];
  }
}

TEST(ViewSyncTest, UnitsChangedWhileLinkedScaleTheNextCamera) {
  HostSandbox sandbox;
  const HostRun run =
      RunLinked(sandbox, LinkedDocument(),
                {kStart, "Wait 100", "Units millimeters", "Orbit 30", "Wait 300", kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto cameras = run.Calls(kCamera);
  ASSERT_EQ(cameras.size(), 2u);
  ExpectOrbitedCamera(cameras[1], 0.1);
}

TEST(ViewSyncTest, MissingViewSendsNothingUntilAViewComesBack) {
  HostSandbox sandbox;
  json doc = LinkedDocument();
  doc["view"] = nullptr;
  const HostRun run = RunLinked(sandbox, doc,
                                {kStart, "Wait 200", "Orbit 30", "Wait 200", "NoView", "Orbit 0",
                                 "NoView", "Wait 200", kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto cameras = run.Calls(kCamera);
  // Only the orbit brings a view back: the host's own, 1000 mm out on each axis.
  ASSERT_EQ(cameras.size(), 1u);
  const Turned p = TurnAboutZ(1000, -1000, 1000, 30);
  ExpectCamera(cameras[0], {100 * p.x, 100 * p.y, 100 * p.z}, TurnAboutZ(-1, 1, -1, 30), {0, 0, 1},
               50.0);
}

TEST(ViewSyncTest, MissingCameraExportShowsTheMessageOncePerChangeOfView) {
  HostSandbox sandbox("no_SetCameraTransformFov");
  const HostRun run =
      RunLinked(sandbox, LinkedDocument(), {kStart, "Wait 200", "Orbit 30", "Wait 300", kStop});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.Calls(kCamera).empty());
  EXPECT_THAT(run.BoxTexts(), ElementsAre("Get dll func error", "Get dll func error"));
  EXPECT_NE(run.out.find("OrvexConverter: Success\nOrvexConverter: Success\n"), std::string::npos);
}

namespace {

const char* kFrontId = "5c0e0001-0000-4000-8000-0000000000a1";
const char* kPlanId = "5c0e0002-0000-4000-8000-0000000000a2";
const char* kStreetId = "5c0e0003-0000-4000-8000-0000000000a3";
const char* kPlanName = "Grundriss ä – 東京 🏠";

// Three named views: perspective, parallel (with a non-ASCII name), two-point.
json DocumentWithNamedViews() {
  json doc = LinkedDocument();
  doc["named_views"] = {{{"id", kFrontId},
                         {"name", "Front"},
                         {"viewport",
                          {{"projection", "perspective"},
                           {"location", {0, -10, 2}},
                           {"direction", {0, 1, 0}},
                           {"up", {0, 0, 1}},
                           {"frustum", {-kTan25, kTan25, -0.5, 0.5, 1, 100}}}}},
                        {{"id", kPlanId},
                         {"name", kPlanName},
                         {"viewport",
                          {{"projection", "parallel"},
                           {"location", {1, 2, 3}},
                           {"direction", {0, 0, -1}},
                           {"up", {0, 1, 0}},
                           {"target", {1, 2, 0}},
                           {"frustum", {-5, 5, -4, 4, 1, 100}}}}},
                        {{"id", kStreetId},
                         {"name", "Street"},
                         {"viewport",
                          {{"projection", "twopoint"},
                           {"location", {4, 0, 1.5}},
                           {"direction", {-1, 0, 0}},
                           {"up", {0, 0, 1}},
                           {"frustum", {-1, 1, -1, 1, 1, 100}}}}}};
  return doc;
}

}  // namespace

TEST(ScenesTest, ThreeNamedViewsBecomeThreeScenesInListOrderThenOneStartSendScenes) {
  HostSandbox sandbox;
  const HostRun run = RunLinked(sandbox, DocumentWithNamedViews(), {kStart, kSendScenes, kStop});
  ASSERT_EQ(run.exitCode, 0);
  const auto scenes = run.Calls("AddScene");
  ASSERT_EQ(scenes.size(), 3u);
  EXPECT_EQ(scenes[0]["id"], kFrontId);
  EXPECT_EQ(scenes[1]["id"], kPlanId);
  EXPECT_EQ(scenes[2]["id"], kStreetId);
  EXPECT_EQ(scenes[0]["name"], "Front");
  EXPECT_EQ(scenes[1]["name"], kPlanName);  // non-ASCII, unchanged
  EXPECT_EQ(scenes[2]["name"], "Street");
  ExpectCamera(scenes[0], {0, -1000, 200}, {0, 1, 0}, {0, 0, 1}, 50.0);
  // Parallel: 5 degrees from where that view spans the 10 m frustum width,
  // above the target at (1, 2, 0) m.
  const double pullBack = 10.0 / (2 * std::tan(2.5 * kDegree));
  ExpectCamera(scenes[1], {100, 200, 100 * pullBack}, {0, 0, -1}, {0, 1, 0}, 5.0);
  ExpectCamera(scenes[2], {400, 0, 150}, {-1, 0, 0}, {0, 0, 1}, 47.0);
  for (const json& s : scenes) EXPECT_EQ(Thread(s), 0);

  const auto starts = run.Calls("StartSendScenes");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0]["path"], "D:/projects/house.3dm");
  EXPECT_GT(Seq(starts[0]), Seq(scenes[2]));
  EXPECT_NE(run.out.find("OrvexConverter: Success\nOrvexConverter: Success\n"
                         "OrvexConverter: Success\n"),
            std::string::npos);
}

TEST(ScenesTest, NoNamedViewsSendOnlyStartSendScenes) {
  HostSandbox sandbox;
  const HostRun run = RunLinked(sandbox, LinkedDocument(), {kStart, kSendScenes, kStop});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.Calls("AddScene").empty());
  const auto starts = run.Calls("StartSendScenes");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0]["path"], "D:/projects/house.3dm");
}

TEST(ScenesTest, MissingExportsShowTheMessageAndTheWalkGoesOn) {
  {
    HostSandbox sandbox("no_AddScene");
    const HostRun run = RunLinked(sandbox, DocumentWithNamedViews(), {kStart, kSendScenes, kStop});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.BoxTexts(),
                ElementsAre("Get dll func error", "Get dll func error", "Get dll func error"));
    EXPECT_EQ(run.Calls("StartSendScenes").size(), 1u);
  }
  {
    HostSandbox sandbox("no_StartSendScenes");
    const HostRun run = RunLinked(sandbox, DocumentWithNamedViews(), {kStart, kSendScenes, kStop});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.BoxTexts(), ElementsAre("Get dll func error"));
    EXPECT_EQ(run.Calls("AddScene").size(), 3u);
  }
}
