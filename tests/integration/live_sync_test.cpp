// Live sync through orvex-host and the bridge stand-in: a linked document
// edited with the host's commands, and what each update sent.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "command_names.h"
#include "host_sandbox.h"

using nlohmann::json;

namespace {

const std::map<std::string, std::string> kNames = {
    {"0b000001-0000-4000-8000-000000000001", "slab"},
    {"0b000001-0000-4000-8000-000000000002", "post"},
    {"3c000001-0000-4000-8000-000000000001", "chair"},
    {"00000000-0000-0000-0000-000000000000", "materials"}};

// Slab on Walls (Plaster through its layer), post in Oak, one chair placed.
json LiveDocument() {
  json doc = SavedDocument();
  const json triangle = {{"vertices", {{0, 0, 0}, {1000, 0, 0}, {0, 1000, 0}}},
                         {"faces", {{0, 1, 2}}}};
  doc["layers"] = {{{"name", "Default"}},
                   {{"id", "1a000001-0000-4000-8000-000000000001"},
                    {"name", "Walls"},
                    {"material", "2b000001-0000-4000-8000-000000000001"}}};
  doc["materials"] = {
      {{"id", "2b000001-0000-4000-8000-000000000001"}, {"name", "Plaster"}, {"rdk", true}},
      {{"id", "2b000001-0000-4000-8000-000000000002"}, {"name", "Oak"}, {"rdk", true}}};
  doc["objects"] = {{{"id", "0b000001-0000-4000-8000-000000000001"},
                     {"name", "slab"},
                     {"layer", "1a000001-0000-4000-8000-000000000001"},
                     {"mesh", triangle}},
                    {{"id", "0b000001-0000-4000-8000-000000000002"},
                     {"name", "post"},
                     {"material", "2b000001-0000-4000-8000-000000000002"},
                     {"mesh", triangle}},
                    {{"name", "chair-1"},
                     {"instance", {{"definition", "3c000001-0000-4000-8000-000000000001"}}}}};
  doc["instance_definitions"] = {{{"id", "3c000001-0000-4000-8000-000000000001"},
                                  {"name", "chair"},
                                  {"objects", {{{"mesh", triangle}}}}}};
  return doc;
}

// What each update after the link's full send did to elements, one list per
// Connect: "+name" for BeginElement, "-name" for DeleteElement.
std::vector<std::vector<std::string>> Updates(const HostRun& run) {
  std::vector<std::vector<std::string>> updates;
  int connects = 0;
  for (const json& call : run.calls) {
    const std::string fn = call["fn"];
    if (fn == "Connect" && ++connects > 1) updates.emplace_back();
    if (updates.empty() || (fn != "BeginElement" && fn != "DeleteElement")) continue;
    const auto name = kNames.find(call["id"]);
    updates.back().push_back((fn == "BeginElement" ? "+" : "-") +
                             (name == kNames.end() ? call["id"].get<std::string>() : name->second));
  }
  return updates;
}

HostRun RunLive(const std::vector<std::string>& edits,
                std::map<std::string, std::string> env = {{"ORVEX_CONNECT_WAIT_MS", "20"}}) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  std::vector<std::string> commands = {kStart, kLiveSyncOn};
  commands.insert(commands.end(), edits.begin(), edits.end());
  return sandbox.RunDocument(LiveDocument(), commands, env);
}

// The calls named fn that the n-th update (from 0) made.
std::vector<json> UpdateCalls(const HostRun& run, int n, const std::string& fn) {
  std::vector<json> calls;
  int connects = 0;
  for (const json& call : run.calls) {
    if (call["fn"] == "Connect") ++connects;
    if (connects == n + 2 && call["fn"] == fn) calls.push_back(call);
  }
  return calls;
}

}  // namespace

TEST(LiveSyncTest, EachEditReachesTheRendererAsOnlyWhatItTouched) {
  struct Step {
    std::string edit;
    std::vector<std::string> update;
  };
  const std::vector<Step> steps = {
      {"Move slab 10 0 0", {"+slab"}},
      {"Hide post", {"-post"}},
      {"Show post", {"+post"}},
      {"Delete slab", {"-slab"}},
      {"Undo", {"+slab"}},
      {"Hide Walls", {"-slab"}},
      {"Show Walls", {"+slab"}},
      {"Lock post", {"+post"}},
      {"Material post Plaster", {"+post"}},
      {"Move chair-1 0 100 0", {"+chair"}},
      {"EditMaterial Oak color 10 20 30", {"-materials", "+materials"}},
      {"EditMaterial Plaster name Stucco", {"-materials", "+materials", "+slab", "+post"}},
      {"Delete chair", {"-chair"}},
      {"Undo", {"+chair"}},
  };
  std::vector<std::string> edits;
  for (const Step& step : steps) {
    edits.push_back(step.edit);
    edits.push_back("Wait 400");
  }
  // Off: edits wait for the next send; Stop is the link's last word.
  edits.insert(edits.end(), {kLiveSyncOff, "Move post 5 0 0", "Wait 400", kStop});
  const HostRun run = RunLive(edits);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const auto updates = Updates(run);
  ASSERT_EQ(updates.size(), steps.size());
  for (size_t i = 0; i < steps.size(); ++i)
    EXPECT_EQ(updates[i], steps[i].update) << "after " << steps[i].edit;
  EXPECT_EQ(run.CallNames().back(), "DestroyModel");

  // Each live connect ran off the command thread; the sends on it.
  const std::vector<json> connects = run.Calls("Connect");
  const std::vector<json> begins = run.Calls("BeginElement");
  EXPECT_NE(connects.back()["thread"], begins.back()["thread"]);
  EXPECT_EQ(connects.front()["thread"], begins.back()["thread"]);
  // The post's key once it wears Plaster, and once Plaster is renamed.
  const auto postKey = [&](int update) {
    return UpdateCalls(run, update, "AddInstance").back()["material"].get<std::string>();
  };
  EXPECT_EQ(postKey(8).substr(0, 8), "Plaster_");
  EXPECT_EQ(postKey(11).substr(0, 7), "Stucco_");
}

TEST(LiveSyncTest, MovedObjectsArriveMovedAndProgressIsReported) {
  const HostRun run = RunLive({"Move post 10 0 0", "Wait 400", "Move chair-1 0 100 0", "Wait 400"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // The post's first vertex, the origin, moved 10 mm along X: 1 cm along the
  // renderer's second axis (it exchanges X and Y).
  const std::vector<json> meshes = UpdateCalls(run, 0, "AddMesh");
  ASSERT_EQ(meshes.size(), 1u);
  EXPECT_EQ(meshes[0]["positions"][0], 0.0);
  EXPECT_EQ(meshes[0]["positions"][1], 1.0);
  EXPECT_EQ(meshes[0]["positions"][2], 0.0);
  // The chair's placement moved 100 mm along Y: one element of the full
  // send's placement changed, by 10 cm.
  const std::vector<json> placements = UpdateCalls(run, 1, "AddInstance");
  ASSERT_EQ(placements.size(), 1u);
  const std::vector<double> before = UpdateCalls(run, -1, "AddInstance").back()["transform"];
  const std::vector<double> moved = placements[0]["transform"];
  int changed = 0;
  for (size_t i = 0; i < 16; ++i) {
    if (moved[i] == before[i]) continue;
    ++changed;
    EXPECT_EQ(moved[i] - before[i], 10.0) << "transform element " << i;
  }
  EXPECT_EQ(changed, 1);

  // The full send's progress: two objects, the meter moved to each, then ended.
  const std::vector<json> progress = run.Events("progress");
  ASSERT_GE(progress.size(), 4u);
  EXPECT_EQ(progress[0], json::parse(R"({"kind": "progress", "stage": "start", "lower": 0,
                       "upper": 2, "label": "Sending to Orvex Render"})"));
  EXPECT_EQ(progress[1], json::parse(R"({"kind": "progress", "stage": "pos", "pos": 1})"));
  EXPECT_EQ(progress[2], json::parse(R"({"kind": "progress", "stage": "pos", "pos": 2})"));
  EXPECT_EQ(progress[3], json::parse(R"({"kind": "progress", "stage": "end"})"));
}

// Faults and awkward timing, each in a run of its own.
TEST(LiveSyncTest, FaultsAndTimingHaveTheirOutcome) {
  std::vector<std::string> burst(1000, "Move post 1 0 0");
  burst.push_back("Wait 400");
  const std::map<std::string, std::string> quick = {{"ORVEX_CONNECT_WAIT_MS", "20"}};
  const std::map<std::string, std::string> slow = {{"ORVEX_CONNECT_WAIT_MS", "400"}};
  struct Case {
    const char* name;
    std::vector<std::string> edits;
    std::map<std::string, std::string> env;
    std::vector<std::vector<std::string>> updates;
    std::vector<std::string> lastCalls;  // the run's last bridge calls
    std::vector<std::string> boxes;
    // The post's first vertex in the last update, along the renderer's second
    // axis (cm); NaN: not checked.
    double postY = std::nan("");
  };
  const std::vector<std::string> end = {"StartSend", "DisConnect"};
  const std::vector<Case> cases = {
      // The connect takes 400 ms; the slab moved while it waits goes with it.
      {"edit during an update",
       {"Move post 1 0 0", "Wait 200", "Move slab 1 0 0", "Wait 800"},
       slow,
       {{"+slab", "+post"}},
       end,
       {}},
      {"deleted and undeleted within 100 ms",
       {"Delete post", "Undo", "Wait 400"},
       quick,
       {{"+post"}},
       end,
       {}},
      {"block definition deleted, its reference kept",
       {"Delete chair", "Wait 400", "Move chair-1 1 0 0", "Wait 400"},
       quick,
       {{"-chair"}, {"-chair"}},
       end,
       {}},
      {"a thousand edits in one burst", burst, quick, {{"+post"}}, end, {}, 100.0},
      // The second connect is refused: live sync and the link end; the next
      // Start sends the moved post with the rest.
      {"connect refused",
       {"Move post 7 0 0", "Wait 400", kLiveSyncOn, kStart, "Wait 100"},
       {{"ORVEX_CONNECT_WAIT_MS", "20"}, {"ORVEX_BRIDGE_CONNECT_CODES", "0,3,0"}},
       {{}, {"-materials", "+materials", "+slab", "+post", "+chair"}},
       {},  // the new link's view-sync thread may send last
       {"Please install the latest version of Orvex Render"},
       0.7},
      // Closing the document waits for the update, then destroys the model.
      {"document closed during an update",
       {"Move post 1 0 0", "Wait 200", "Close"},
       slow,
       {{"+post"}},
       {"StartSend", "DisConnect", "DestroyModel"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HostRun run = RunLive(c.edits, c.env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto updates = Updates(run);
    EXPECT_EQ(updates, c.updates);
    const std::vector<std::string> names = run.CallNames();
    ASSERT_GE(names.size(), c.lastCalls.size());
    EXPECT_EQ(std::vector<std::string>(names.end() - c.lastCalls.size(), names.end()), c.lastCalls);
    EXPECT_EQ(run.BoxTexts(), c.boxes);
    if (std::isnan(c.postY) || updates.empty()) continue;
    bool found = false;
    for (const json& mesh : UpdateCalls(run, static_cast<int>(updates.size()) - 1, "AddMesh"))
      found = found || mesh["positions"][1] == c.postY;
    EXPECT_TRUE(found) << "no mesh with its first vertex at " << c.postY;
  }
}
