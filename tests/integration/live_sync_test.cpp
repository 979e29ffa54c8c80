// Live sync through orvex-host and the bridge stand-in: a linked document
// edited with the host's commands, and what each update sent.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "command_names.h"
#include "host_sandbox.h"

using nlohmann::json;

namespace {

// Slab on Walls (Plaster through its layer), post in Oak, one chair placed.
const char* const kLiveDocument = R"({"path": "D:/projects/house.3dm", "units": "millimeters",
  "layers": [{"name": "Default"}, {"id": "1a000001-0000-4000-8000-000000000001", "name": "Walls",
             "material": "2b000001-0000-4000-8000-000000000001"}],
  "materials": [{"id": "2b000001-0000-4000-8000-000000000001", "name": "Plaster", "rdk": true},
                {"id": "2b000001-0000-4000-8000-000000000002", "name": "Oak", "rdk": true}],
  "objects": [
    {"id": "0b000001-0000-4000-8000-000000000001", "name": "slab",
     "layer": "1a000001-0000-4000-8000-000000000001",
     "mesh": {"vertices": [[0,0,0],[1000,0,0],[0,1000,0]], "faces": [[0,1,2]]}},
    {"id": "0b000001-0000-4000-8000-000000000002", "name": "post",
     "material": "2b000001-0000-4000-8000-000000000002",
     "mesh": {"vertices": [[0,0,0],[1000,0,0],[0,1000,0]], "faces": [[0,1,2]]}},
    {"name": "chair-1", "instance": {"definition": "3c000001-0000-4000-8000-000000000001"}}],
  "instance_definitions": [{"id": "3c000001-0000-4000-8000-000000000001", "name": "chair",
    "objects": [{"mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}}]}]})";

const std::map<std::string, std::string> kNames = {
    {"0b000001-0000-4000-8000-000000000001", "slab"},
    {"0b000001-0000-4000-8000-000000000002", "post"},
    {"3c000001-0000-4000-8000-000000000001", "chair"},
    {"00000000-0000-0000-0000-000000000000", "materials"}};

// The calls of each send, one list per Connect: the link's full send, then
// each update.
std::vector<std::vector<json>> SendCalls(const HostRun& run) {
  std::vector<std::vector<json>> sends;
  for (const json& call : run.calls) {
    if (call["fn"] == "Connect") sends.emplace_back();
    if (!sends.empty()) sends.back().push_back(call);
  }
  return sends;
}

// What each update did to elements: "+name" for BeginElement, "-name" for DeleteElement.
std::vector<std::vector<std::string>> Updates(const HostRun& run) {
  std::vector<std::vector<std::string>> updates;
  const auto sends = SendCalls(run);
  for (auto calls = sends.begin() + 1; calls < sends.end(); ++calls) {
    updates.emplace_back();
    for (const json& call : *calls)
      if (call["fn"] == "BeginElement" || call["fn"] == "DeleteElement")
        updates.back().push_back((call["fn"] == "BeginElement" ? "+" : "-") +
                                 kNames.at(call["id"].get<std::string>()));
  }
  return updates;
}

// The last call named fn in the calls given.
json Last(const std::vector<json>& calls, const std::string& fn) {
  for (auto call = calls.rbegin(); call != calls.rend(); ++call)
    if ((*call)["fn"] == fn) return *call;
  return json();
}

HostRun RunLive(const std::vector<std::string>& edits, const std::string& wait = "20",
                const std::string& connectCodes = "", const char* document = kLiveDocument) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  std::vector<std::string> commands = {kStart, kLiveSyncOn};
  commands.insert(commands.end(), edits.begin(), edits.end());
  return sandbox.RunDocument(
      json::parse(document), commands,
      {{"ORVEX_CONNECT_WAIT_MS", wait}, {"ORVEX_BRIDGE_CONNECT_CODES", connectCodes}});
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(LiveSyncTest, EachEditReachesTheRendererAsOnlyWhatItTouched) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> steps = {
      {"Move slab 10 0 0", {"+slab"}},
      {"Hide post", {"-post"}},
      {"Show post", {"+post"}},
      {"Delete slab", {"-slab"}},
      {"Undo", {"+slab"}},
      {"Hide Walls", {"-slab"}},
      {"Show Walls", {"+slab"}},
      {"Material post Plaster", {"+post"}},
      {"Move chair-1 0 100 0", {"+chair"}},
      {"EditMaterial Oak color 10 20 30", {"-materials", "+materials"}},
      {"EditMaterial Plaster name Stucco", {"-materials", "+materials", "+slab", "+post"}},
      {"Delete chair", {"-chair"}},
      {"Undo", {"+chair"}},
  };
  std::vector<std::string> edits = {kLiveSyncOn};  // on already
  for (const auto& step : steps) edits.insert(edits.end(), {step.first, "Wait 400"});
  // Off: edits wait for the next send; Stop is the link's last word.
  edits.insert(edits.end(),
               {kLiveSyncOff, "Move post 5 0 0", "Wait 400", kLiveSyncOff, kStop, kLiveSyncOn});
  const HostRun run = RunLive(edits);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto updates = Updates(run);
  ASSERT_EQ(updates.size(), steps.size());
  for (size_t i = 0; i < steps.size(); ++i)
    EXPECT_EQ(updates[i], steps[i].second) << "after " << steps[i].first;
  EXPECT_EQ(run.CallNames().back(), "DestroyModel");
  // The commands' rules: already on, already off, unlinked.
  size_t at = 0;
  for (const char* line : {"Live sync on!", "Live sync off!", "Not Connected!"})
    EXPECT_NE(at = run.out.find(line, at), std::string::npos) << line;

  // Each live connect ran off the command thread, the sends on it.
  const auto calls = SendCalls(run);  // [0]: the full send
  EXPECT_NE(Last(calls[1], "Connect")["thread"], Last(calls[1], "BeginElement")["thread"]);
  EXPECT_EQ(calls[0][0]["thread"], Last(calls[1], "BeginElement")["thread"]);
  // The slab's first vertex, the origin, moved 10 mm along X: 1 cm along the
  // renderer's second axis (it exchanges X and Y).
  EXPECT_EQ(Last(calls[1], "AddMesh")["positions"], json::parse("[0, 1, 0, 0, 101, 0, 100, 1, 0]"));
  // The chair's placement moved 100 mm along Y: one number of the full send's
  // placement changed, by 10 cm.
  const std::vector<double> before = Last(calls[0], "AddInstance")["transform"];
  const std::vector<double> moved = Last(calls[9], "AddInstance")["transform"];
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(moved[i] - before[i], i == 12 ? 10.0 : 0.0) << i;
  // The post's key once it wears Plaster, and once Plaster is renamed.
  EXPECT_EQ(Last(calls[8], "AddInstance")["material"].get<std::string>().substr(0, 8), "Plaster_");
  EXPECT_EQ(Last(calls[11], "AddInstance")["material"].get<std::string>().substr(0, 7), "Stucco_");

  // The full send's progress: two objects, the meter moved to each, then ended.
  const std::vector<json> progress = run.Events("progress");
  ASSERT_GE(progress.size(), 4u);
  EXPECT_EQ(json(std::vector<json>(progress.begin(), progress.begin() + 4)), json::parse(R"([
      {"kind": "progress", "stage": "start", "lower": 0, "upper": 2, "label": "Sending to Orvex Render"},
      {"kind": "progress", "stage": "pos", "pos": 1}, {"kind": "progress", "stage": "pos", "pos": 2},
      {"kind": "progress", "stage": "end"}])"));
}

// Faults and awkward timing, each in a run of its own.
TEST(LiveSyncTest, FaultsAndTimingHaveTheirOutcome) {
  std::vector<std::string> burst(1000, "Move post 1 0 0");
  burst.push_back("Wait 400");
  struct Case {
    const char* name;
    std::vector<std::string> edits;
    const char* wait;  // the connect wait, ms
    const char* connectCodes;
    std::vector<std::vector<std::string>> updates;
    std::string lastCall;  // "": not checked
    std::vector<std::string> boxes;
    // The post's first vertex in the last update, along the renderer's second
    // axis (cm); 0: not checked.
    double postY = 0;
  };
  // clang-format off
  const std::vector<Case> cases = {
      // The connect takes 400 ms; the slab moved while it waits goes with it.
      {"edit during an update", {"Move post 1 0 0", "Wait 200", "Move slab 1 0 0", "Wait 800"},
       "400", "", {{"+slab", "+post"}}, "DisConnect", {}},
      {"deleted and undeleted within 100 ms", {"Delete post", "Undo", "Wait 400"}, "20", "",
       {{"+post"}}, "DisConnect", {}},
      {"block definition deleted, its reference kept",
       {"Delete chair", "Wait 400", "Move chair-1 1 0 0", "Wait 400"}, "20", "",
       {{"-chair"}, {"-chair"}}, "DisConnect", {}},
      {"a thousand edits in one burst", burst, "20", "", {{"+post"}}, "DisConnect", {}, 100.0},
      // The second connect is refused: live sync and the link end; the next
      // Start sends the moved post with the rest (and starts a view-sync thread).
      {"connect refused", {"Move post 7 0 0", "Wait 400", kLiveSyncOn, kStart, "Wait 100"}, "20",
       "0,3,0", {{}, {"-materials", "+materials", "+slab", "+post", "+chair"}}, "",
       {"Please install the latest version of Orvex Render"}, 0.7},
      // New units: the update sends every length again, in centimetres as ever.
      {"units changed", {"Units meters", "Move post 1 0 0", "Wait 400"}, "20", "",
       {{"-materials", "+materials", "+slab", "+post", "+chair"}}, "DisConnect", {}, 100.0},
      // Closing the document waits for the update, then destroys the model.
      {"document closed during an update", {"Move post 1 0 0", "Wait 200", "Close"}, "400", "",
       {{"+post"}}, "DestroyModel", {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HostRun run = RunLive(c.edits, c.wait, c.connectCodes);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Updates(run), c.updates);
    if (!c.lastCall.empty()) {
      EXPECT_EQ(run.CallNames().back(), c.lastCall);
    }
    EXPECT_EQ(run.BoxTexts(), c.boxes);
    if (c.postY == 0) continue;
    bool found = false;
    const auto sends = SendCalls(run);
    for (const json& call : sends.back())
      found = found || (call["fn"] == "AddMesh" && call["positions"][1] == c.postY);
    EXPECT_TRUE(found) << "no mesh with its first vertex at " << c.postY;
  }
}

// The edits Rhino makes in ways of its own (a layer tree, new units, the RDK's
// materials) and Esc during a long send, each in a run of its own. "!" marks
// a send cancelled with Esc: it started no transfer.
TEST(LiveSyncTest, TreesUnitsMaterialsAndEscHaveTheirOutcome) {
  // The slab on Walls, a sublayer of Site.
  std::string tree = kLiveDocument;
  tree.replace(tree.find(R"("name": "Walls",)"), 16, R"("name": "Walls", "parent": "Site",)");
  tree.replace(tree.find(R"({"name": "Default"},)"), 20,
               R"({"name": "Default"}, {"name": "Site"},)");
  const std::vector<std::string> everything = {"-materials", "+materials", "+slab", "+post",
                                               "+chair"};
  struct Case {
    const char* name;
    std::vector<std::string> edits;
    std::vector<std::vector<std::string>> updates;
    int cancelled;  // sends that said so on the console
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"parent layer off, then on", {"Hide Site", "Wait 400", "Show Site", "Wait 400"},
       {{"-slab"}, {"+slab"}}, 0},
      {"units without scaling", {"Units meters", "Wait 400"}, {everything}, 0},
      {"units with scaling", {"Units meters scale", "Wait 400"}, {everything}, 0},
      {"a new material, then one deleted", {"AddMaterial Steel 1 2 3", "Wait 400",
       "DeleteMaterial Oak", "Wait 400"}, {{"-materials", "+materials"},
       {"-materials", "+materials", "+post"}}, 0},
      {"Esc during a model update, then the model again", {"Esc 2", kSendModel, kSendModel},
       {{"-materials", "+materials", "+slab", "!"}, everything}, 1},
      {"Esc pressed twice", {"Esc 1", "Esc 2", kSendModel}, {{"-materials", "+materials", "!"}}, 1},
      {"Esc during the connect wait", {"Esc 0", kSendModel}, {{"-materials", "+materials", "!"}}, 1},
      {"Esc during a large live update, then an edit", {"Esc 1", "Units meters", "Wait 400",
       "Move post 1 0 0", "Wait 400"}, {{"-materials", "+materials", "!"}, everything}, 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HostRun run = RunLive(c.edits, "20", "", tree.c_str());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::vector<std::string>> updates = Updates(run);
    const auto sends = SendCalls(run);
    for (size_t i = 0; i < updates.size(); ++i)
      if (Last(sends[i + 1], "StartSend").is_null()) updates[i].push_back("!");
    EXPECT_EQ(updates, c.updates);
    EXPECT_EQ(Count(run.out, "OrvexConverter: Send cancelled"), static_cast<size_t>(c.cancelled));
  }
}
