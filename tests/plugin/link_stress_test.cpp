// The link under stress, in process: a thousand cycles of Start, view sync off
// and on, camera moves, Send model, Send lights, Send scenes, Stop and document
// close, each cycle in an order drawn from a fixed seed. The plug-in's own
// commands run against the SDK stand-in and the real bridge stand-in, which
// logs every call; scripts/sanitize.sh runs this under ThreadSanitizer.
//
// Checked: every view-sync thread ends once its link has ended, at most one
// runs per link, and no camera reaches the renderer between the end of a link
// and the next Start. The connect wait is shortened through
// ORVEX_CONNECT_WAIT_MS, which has tests of its own here.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <vector>

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "document_reader.h"
#include "platform/platform.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"
#include "renderer_link/renderer_answers.h"
#include "tests/support/recording_host.h"
#include "tests/support/scoped_env.h"
#include "tests/support/wait_until.h"

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

const char* kDocument = R"({
  "path": "D:/projects/stress.3dm", "units": "millimeters",
  "layers": [{"id": "1a000001-0000-4000-8000-000000000001", "name": "Walls",
              "material": "2b000001-0000-4000-8000-000000000001"}],
  "materials": [{"id": "2b000001-0000-4000-8000-000000000001", "name": "Plaster", "rdk": true,
                 "diffuse": [230, 225, 215]}],
  "objects": [
    {"name": "slab", "layer": "1a000001-0000-4000-8000-000000000001",
     "mesh": {"vertices": [[0,0,0],[4000,0,0],[4000,3000,0],[0,3000,0]], "faces": [[0,1,2,3]]}},
    {"name": "post", "mesh": {"vertices": [[0,0,0],[100,0,0],[0,0,2500]], "faces": [[0,1,2]]}},
    {"name": "chair", "instance": {"definition": "3c000001-0000-4000-8000-000000000001",
                                   "xform": [1,0,0,500, 0,1,0,500, 0,0,1,0, 0,0,0,1]}}],
  "instance_definitions": [{"id": "3c000001-0000-4000-8000-000000000001", "name": "chair",
    "objects": [{"mesh": {"vertices": [[0,0,0],[400,0,0],[0,400,450]], "faces": [[0,1,2]]}}]}],
  "lights": [{"name": "lamp", "kind": "point", "location": [2000, 1500, 2400]},
             {"name": "spot", "kind": "spot", "location": [0, 0, 2400], "direction": [1, 1, -1]}],
  "named_views": [
    {"name": "front", "viewport": {"location": [2000,-8000,1600], "direction": [0,1,0],
                                   "up": [0,0,1]}},
    {"name": "top", "viewport": {"projection": "parallel", "location": [2000,1500,9000],
                                 "direction": [0,0,-1], "up": [0,1,0]}}]
})";

// What the process shares: the call log and the client id in a folder of
// their own, message boxes recorded from any thread, and one view. Made on
// first use, before anything loads the bridge.
struct Process : test_support::InProcessHost {
  Process();
  CRhinoView* view = nullptr;
};

Process::Process() : InProcessHost("orvex-stress") {
  // Read by the bridge when it is first loaded, and by the plug-in at each use.
  setenv("ORVEX_BRIDGE_LOG_ARRAYS", "0", 1);
  setenv("ORVEX_BRIDGE_START_CODE", "0", 1);
  unsetenv("ORVEX_BRIDGE_CONNECT_CODE");
  unsetenv("ORVEX_BRIDGE_HAS_CONNECTED");
  setenv("ORVEX_CONNECT_WAIT_MS", "1", 1);
  // Usage events still start and join their threads, but never leave the machine.
  setenv("ORVEX_ANALYTICS_HOST", "analytics.orvexrender.invalid", 1);
  setenv("XDG_CONFIG_HOME", (log.folder() / "config").c_str(), 1);
  view = &RhinoApp().StandinCreateView();
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::perspective_view);
  vp.SetCameraLocation(ON_3dPoint(6000, -6000, 4000));
  vp.SetCameraDirection(ON_3dPoint(2000, 1500, 0) - ON_3dPoint(6000, -6000, 4000));
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  vp.SetTargetPoint(ON_3dPoint(2000, 1500, 0));
  vp.SetFrustum(-0.5, 0.5, -0.375, 0.375, 1.0, 100000.0);
  view->ActiveViewport().SetVP(vp, TRUE);
}

Process& TheProcess() {
  static Process process;
  return process;
}

void OpenDocument() {
  DocumentReadResult read =
      ReadDocumentText(kDocument, "stress.orvexdoc.json", L"/stress/stress.orvexdoc.json");
  ASSERT_TRUE(read.doc) << read.error;
  RhinoApp().StandinOpenDocument(std::move(read.doc));
}

// Writes marks into the bridge's call log from the command thread, through a
// handle of its own: a SetOrvexRenderPath call with a path no folder has.
class LogMark {
 public:
  LogMark() { m_handle.TakeUp(); }
  void Write(const std::string& mark) {
    ASSERT_TRUE(m_handle.Has(bridge::Function::kSetOrvexRenderPath));
    m_handle.SetOrvexRenderPath(platform::AnsiToWide(kPrefix + mark));
  }
  static bool IsMark(const json& call, std::string* mark) {
    if (call["fn"] != "SetOrvexRenderPath") return false;
    const std::string path = call["path"];
    if (path.rfind(kPrefix, 0) != 0) return false;
    *mark = path.substr(std::string(kPrefix).size());
    return true;
  }

 private:
  static constexpr const char* kPrefix = "stress-mark:";
  bridge::Bridge m_handle;
};

enum class Action {
  kStart,
  kViewSyncOff,
  kViewSyncOn,
  kCameraMove,
  kSendModel,
  kSendLights,
  kSendScenes,
  kStop,
  kCloseDocument
};

}  // namespace

TEST(LinkStressTest, ThousandCyclesInRandomOrderLeaveNoThreadAndNoLateCamera) {
  Process& process = TheProcess();
  CCommandOrvexConverterStart start;
  CCommandOrvexConverterStop stop;
  CCommandOrvexConverterSendModel sendModel;
  CCommandOrvexConverterViewSyncOn viewSyncOn;
  CCommandOrvexConverterViewSyncOff viewSyncOff;
  CCommandOrvexConverterSendScenes sendScenes;
  CCommandOrvexConverterSendLights sendLights;
  LogMark mark;
  mark.Write("begin");

  constexpr int kCycles = 1000;
  std::mt19937 random(20240909);
  std::array<Action, 9> order = {Action::kStart,      Action::kViewSyncOff, Action::kViewSyncOn,
                                 Action::kCameraMove, Action::kSendModel,   Action::kSendLights,
                                 Action::kSendScenes, Action::kStop,        Action::kCloseDocument};
  // A mark per Start attempt ("start:<n>", and whether it linked) and per end of a link ("end").
  std::vector<bool> startLinked;
  int starts = 0, linksEnded = 0, settles = 0, refusedStarts = 0;
  const auto command = [](CRhinoCommand& c) {
    c.RunCommand(CRhinoCommandContext(RhinoApp().ActiveDoc()));
  };
  const std::shared_ptr<renderer_link::ViewSyncShared> viewSync = plugin::TheLink().ViewSync();
  // Once the link and its view-sync state have settled, exactly the expected
  // number of view-sync threads runs: one while linked with view sync on, else none.
  const auto settle = [&]() {
    const renderer_link::Link& link = plugin::TheLink();
    const int expected = link.IsLinked() && link.ViewSyncIsOn() ? 1 : 0;
    ++settles;
    return test_support::WaitUntil([&] { return viewSync->threadsRunning.load() == expected; },
                                   std::chrono::seconds(10), std::chrono::microseconds(500));
  };

  for (int cycle = 0; cycle < kCycles; ++cycle) {
    if (!RhinoApp().ActiveDoc() && random() % 4 != 0) OpenDocument();
    std::shuffle(order.begin(), order.end(), random);
    for (const Action action : order) {
      const bool wasLinked = plugin::TheLink().IsLinked();
      switch (action) {
        case Action::kStart: {
          // Mostly with a document: a closed one is opened again first.
          if (!RhinoApp().ActiveDoc() && random() % 8 != 0) OpenDocument();
          mark.Write("start:" + std::to_string(startLinked.size()));
          const bool hadDocument = RhinoApp().ActiveDoc() != nullptr;
          command(start);
          startLinked.push_back(!wasLinked && plugin::TheLink().IsLinked());
          ++starts;
          if (!hadDocument) ++refusedStarts;
          break;
        }
        case Action::kViewSyncOff: command(viewSyncOff); break;
        case Action::kViewSyncOn: command(viewSyncOn); break;
        case Action::kCameraMove: {
          ON_Viewport vp = process.view->ActiveViewport().VP();
          const double degrees = static_cast<double>(random() % 90) - 45.0;
          ON_Xform turn;
          turn.Rotation(ON_RadiansFromDegrees(degrees), ON_3dVector::ZAxis, vp.TargetPoint());
          vp.Transform(turn);
          process.view->ActiveViewport().SetVP(vp, TRUE);
          break;
        }
        case Action::kSendModel: command(sendModel); break;
        case Action::kSendLights: command(sendLights); break;
        case Action::kSendScenes: command(sendScenes); break;
        case Action::kStop: command(stop); break;
        case Action::kCloseDocument: RhinoApp().StandinCloseDocument(); break;
      }
      rhino_standin::RaiseIdle(0);  // as the host is after each command
      if (wasLinked && !plugin::TheLink().IsLinked()) {
        mark.Write("end");
        ++linksEnded;
        // Half the time the next action follows at once, while the ended
        // link's thread may still be finishing; otherwise it must end first.
        if (random() % 2 == 0) {
          ASSERT_TRUE(settle()) << "a view-sync thread outlived its link";
        }
      }
    }
    if (random() % 4 == 0) {
      ASSERT_TRUE(settle()) << "cycle " << cycle << ": " << viewSync->threadsRunning.load()
                            << " view-sync threads";
    }
  }
  if (plugin::TheLink().IsLinked()) {
    command(stop);
    mark.Write("end");
    ++linksEnded;
  }
  ASSERT_TRUE(settle()) << "a view-sync thread outlived the last link";

  // The log, in call order: cameras only while a link stands.
  const std::vector<json> calls = process.log.CallsFrom(0);
  bool linked = false;
  size_t lateCameras = 0, cameras = 0, threadCameras = 0;
  int commandThread = -1;
  std::string text;
  for (const json& call : calls) {
    if (LogMark::IsMark(call, &text)) {
      if (commandThread < 0) commandThread = call["thread"];
      if (text == "end") linked = false;
      if (text.rfind("start:", 0) == 0 && startLinked.at(std::stoul(text.substr(6)))) linked = true;
      continue;
    }
    if (call["fn"] != "SetCameraTransformFov") continue;
    ++cameras;
    if (call["thread"] != commandThread) ++threadCameras;
    if (!linked) {
      ++lateCameras;
      ADD_FAILURE() << "a camera outside any link: " << call.dump();
      if (lateCameras > 5) break;
    }
  }
  EXPECT_EQ(lateCameras, 0u);

  const int linksMade = static_cast<int>(std::count(startLinked.begin(), startLinked.end(), true));
  std::cout << kCycles << " cycles: " << starts << " starts (" << linksMade << " linked, "
            << refusedStarts << " without a document), " << linksEnded << " links ended, "
            << viewSync->generation.load() << " view-sync threads started, " << cameras
            << " cameras (" << threadCameras << " from view-sync threads), " << settles
            << " settle checks, " << calls.size() << " bridge calls" << std::endl;
  // Every link made was ended, and the run exercised what it claims to.
  EXPECT_EQ(linksMade, linksEnded);
  EXPECT_GT(linksMade, kCycles * 3 / 4);
  EXPECT_GT(threadCameras, static_cast<size_t>(kCycles / 4));
  EXPECT_GT(viewSync->generation.load(), static_cast<unsigned>(linksMade));
  // The only message the run may show: Start without an open document.
  for (const test_support::ShownBox& box : process.host.Boxes())
    EXPECT_EQ(box.text, L"Please save current file and retry");
  EXPECT_EQ(static_cast<int>(process.host.Boxes().size()), refusedStarts);
}

// Live sync under stress: moves, idle time and every command that touches the
// link, in random order (fixed seed). Checked: no call names a model after its
// DestroyModel, no connect comes while an update is under way, and updates ran.
TEST(LinkStressTest, LiveSyncEditsAndCommandsInRandomOrderNeverOutliveTheModel) {
  Process& process = TheProcess();
  const size_t firstCall = process.log.CallsFrom(0).size();
  CCommandOrvexConverterStart start;
  CCommandOrvexConverterStop stop;
  CCommandOrvexConverterSendModel sendModel;
  CCommandOrvexConverterLiveSyncOn liveOn;
  CCommandOrvexConverterLiveSyncOff liveOff;
  CRhinoCommand* const commands[] = {&start, &start, &liveOn, &liveOff, &sendModel, &stop};
  std::mt19937 random(20261209);
  for (int step = 0; step < 400; ++step) {
    if (!RhinoApp().ActiveDoc()) OpenDocument();
    CRhinoDoc* doc = RhinoApp().ActiveDoc();
    const unsigned action = random() % 14;
    if (action < 6) {  // a command; Start mostly with live sync
      commands[action]->RunCommand(CRhinoCommandContext(doc));
      if (commands[action] == &start && random() % 4 != 0)
        liveOn.RunCommand(CRhinoCommandContext(doc));
    } else if (action == 6) {
      RhinoApp().StandinCloseDocument();
    } else if (action < 10) {  // a move, with the events the host raises
      auto& mesh = dynamic_cast<CRhinoMeshObject&>(*doc->StandinObjectAt(random() % 2));
      mesh.m_mesh.Translate(ON_3dVector(1, 0, 0));
      rhino_standin::RaiseEvent([&](CRhinoEventWatcher& w) {
        w.OnReplaceObject(*doc, mesh, mesh);
        w.OnDeleteObject(*doc, mesh);
        w.OnAddObject(*doc, mesh);
      });
    } else {  // idle long enough for an update, as during Wait
      const auto until = Clock::now() + std::chrono::milliseconds(100 + random() % 100);
      while (Clock::now() < until) {
        rhino_standin::RaiseIdle(0);
        platform::SleepMilliseconds(2);
      }
    }
    rhino_standin::RaiseIdle(0);
  }
  if (plugin::TheLink().IsLinked()) stop.RunCommand(CRhinoCommandContext(RhinoApp().ActiveDoc()));

  std::set<int> destroyed;
  int liveUpdates = 0, connectsOpen = 0, commandThread = -1;
  for (const json& call : process.log.CallsFrom(firstCall)) {
    const std::string fn = call["fn"];
    if (call.contains("model")) {
      EXPECT_EQ(destroyed.count(call["model"]), 0u) << "after DestroyModel: " << call.dump();
      if (fn == "DestroyModel") destroyed.insert(call["model"].get<int>());
    }
    if (fn == "CreateModel") commandThread = call["thread"];
    if (fn == "Connect") {
      EXPECT_EQ(connectsOpen++, 0) << "a connect while an update was under way: " << call.dump();
      if (call["thread"] != commandThread) ++liveUpdates;
    }
    if (fn == "DisConnect") connectsOpen = 0;
  }
  std::cout << liveUpdates << " live updates, " << destroyed.size() << " models destroyed\n";
  EXPECT_GE(liveUpdates, 5);
  EXPECT_GE(destroyed.size(), 10u);
}

// The connect wait that the stress run shortens.
class ConnectWaitTest : public ::testing::TestWithParam<std::pair<const char*, int>> {};

TEST_P(ConnectWaitTest, WaitIsTheNamedMillisecondsOrTheFullWait) {
  TheProcess();
  const auto [value, expectedMs] = GetParam();
  double ms = 0;
  {
    const test_support::ScopedEnv wait("ORVEX_CONNECT_WAIT_MS", value);
    bridge::Bridge handle;
    ASSERT_TRUE(handle.TakeUp());
    const auto begin = Clock::now();
    EXPECT_TRUE(renderer_link::ConnectRenderer(handle));
    ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
  }
  EXPECT_GE(ms, expectedMs - 1.0);
  EXPECT_LT(ms, expectedMs + 400.0);
}

INSTANTIATE_TEST_SUITE_P(Values, ConnectWaitTest,
                         ::testing::Values(std::make_pair("0", 0), std::make_pair("250", 250),
                                           std::make_pair("1501", 1500), std::make_pair("-5", 1500),
                                           std::make_pair("12x", 1500)),
                         [](const ::testing::TestParamInfo<std::pair<const char*, int>>& info) {
                           std::string name = "Value";
                           for (const char* c = info.param.first; *c; ++c)
                             name += *c == '-' ? std::string("Minus") : std::string(1, *c);
                           return name;
                         });
