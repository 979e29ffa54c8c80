// Live sync as Rhino drives it, in process: the events come in the orders the
// SDK's headers allow, the host is idle only in a burst after each message,
// and the wake-ups live sync asks for run in the SDK stand-in's message loop.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "RhinoSdk.h"
#include "document_reader.h"
#include "message_loop.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"
#include "standin_host.h"
#include "tests/support/recording_host.h"

using nlohmann::json;

namespace {

const char* kDocument = R"({"path": "D:/projects/live.3dm", "units": "millimeters",
  "materials": [{"id": "2b000001-0000-4000-8000-000000000001", "name": "Plaster",
                 "diffuse": [230, 225, 215]}],
  "layers": [{"name": "Default"}, {"name": "Site"}, {"name": "Walls", "parent": "Site"}],
  "objects": [
    {"name": "slab", "layer": "Walls", "material": "2b000001-0000-4000-8000-000000000001",
     "mesh": {"vertices": [[0,0,0],[4000,0,0],[0,3000,0]], "faces": [[0,1,2]]}},
    {"name": "post", "mesh": {"vertices": [[0,0,0],[100,0,0],[0,0,2500]], "faces": [[0,1,2]]}}]})";

struct Process : test_support::InProcessHost {
  Process() : InProcessHost("orvex-live") {
    setenv("ORVEX_BRIDGE_START_CODE", "0", 1);
    setenv("ORVEX_CONNECT_WAIT_MS", "0", 1);
    setenv("ORVEX_ANALYTICS_HOST", "analytics.orvexrender.invalid", 1);
    setenv("XDG_CONFIG_HOME", (log.folder() / "config").c_str(), 1);
  }
};

Process& TheProcess() {
  static Process process;
  return process;
}

// A linked document with live sync on, as after the two commands at the prompt.
class LiveEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    TheProcess();
    DocumentReadResult read = ReadDocumentText(kDocument, "live.orvexdoc.json", L"/live");
    ASSERT_TRUE(read.doc) << read.error;
    doc = RhinoApp().StandinOpenDocument(std::move(read.doc));
    Command(start);
    Command(liveOn);
    from = TheProcess().log.Size();
  }
  void TearDown() override {
    Command(stop);
    RhinoApp().StandinCloseDocument();
    // Nothing reaches the renderer after its model is destroyed.
    const std::vector<json> calls = TheProcess().log.CallsFrom(from);
    for (size_t i = 0; i < calls.size(); ++i) {
      if (calls[i]["fn"] == "DestroyModel") {
        EXPECT_EQ(i + 1, calls.size());
      }
    }
  }

  void Command(CRhinoCommand& command) {
    rhino_standin::SetCommandsRunning(1);
    command.RunCommand(CRhinoCommandContext(doc));
    rhino_standin::SetCommandsRunning(0);
    rhino_standin::IdleBurst();
  }
  // An edit of an object's attributes, as a command makes it, then the
  // host's idle burst and its messages for `ms`.
  void Edit(const char* name, unsigned ms) {
    CRhinoObject& object = Object(name);
    rhino_standin::RaiseEvent([&](CRhinoEventWatcher& w) {
      w.OnModifyObjectAttributes(*doc, object, object.Attributes());
    });
    Idle(ms);
  }
  void Idle(unsigned ms) {
    rhino_standin::IdleBurst();
    rhino_standin::RunMessagesFor(ms);
  }
  CRhinoObject& Object(const char* name) {
    for (int i = 0; i < doc->StandinObjectCount(); ++i)
      if (doc->StandinObjectAt(i)->Attributes().m_name == ON_wString(name))
        return *doc->StandinObjectAt(i);
    throw std::runtime_error(name);
  }
  std::vector<json> Calls(const char* fn) const {
    std::vector<json> found;
    for (json& call : TheProcess().log.CallsFrom(from))
      if (call["fn"] == fn) found.push_back(std::move(call));
    return found;
  }

  CRhinoDoc* doc = nullptr;
  size_t from = 0;
  CCommandOrvexConverterStart start;
  CCommandOrvexConverterStop stop;
  CCommandOrvexConverterLiveSyncOn liveOn;
};

TEST_F(LiveEvents, AnUpdateStartsAfterAHundredMillisecondsOfQuietWithoutFurtherInput) {
  const auto edited = std::chrono::steady_clock::now();
  Edit("post", 0);
  // Nothing but the wake-up live sync asked for moves the host from here on.
  while (Calls("Connect").empty() &&
         std::chrono::steady_clock::now() - edited < std::chrono::seconds(2))
    rhino_standin::RunMessagesFor(1);
  const auto after = std::chrono::steady_clock::now() - edited;
  ASSERT_EQ(Calls("Connect").size(), 1u);
  EXPECT_GE(after, std::chrono::milliseconds(100));
  EXPECT_LT(after, std::chrono::milliseconds(150));
  Idle(50);
  EXPECT_EQ(Calls("StartSend").size(), 1u);
}

TEST_F(LiveEvents, EditsCloserThanTheQuietTimeMakeOneUpdateFartherApartTwo) {
  const struct {
    unsigned apart;
    size_t updates;
  } rows[] = {{60, 1}, {200, 2}};
  for (const auto& row : rows) {
    from = TheProcess().log.Size();
    Edit("post", row.apart);
    Edit("slab", 400);
    EXPECT_EQ(Calls("StartSend").size(), row.updates) << row.apart << " ms apart";
  }
}

// A material edit: the RDK's content event, with or without the material
// table's event before or after it, makes one update with one materials
// element in its new colour.
TEST_F(LiveEvents, AMaterialEditInEveryOrderOfItsEventsMakesOneUpdate) {
  enum Order { kContentOnly, kTableFirst, kContentFirst };
  int red = 10;
  for (Order order : {kContentOnly, kTableFirst, kContentFirst}) {
    from = TheProcess().log.Size();
    CRhRdkMaterial& plaster = *doc->StandinRdk().StandinMaterialAt(0);
    CRhRdkMaterial old;
    old.m_material = plaster.m_material;
    plaster.m_material.m_diffuse = ON_Color(++red, 0, 0);
    const auto table = [&] {
      rhino_standin::RaiseEvent([&](CRhinoEventWatcher& w) {
        w.MaterialTableEvent(CRhinoEventWatcher::material_modified, doc->m_material_table, 0,
                             &old.m_material);
      });
    };
    const auto content = [&] {
      rhino_standin::RaiseRdkEvent(
          [&](CRhRdkEventWatcher& w) { w.OnContentChanged(plaster, old, RhRdkChangeContext::UI); });
    };
    if (order == kTableFirst) table();
    content();
    if (order == kContentFirst) table();
    Idle(400);
    SCOPED_TRACE(order);
    ASSERT_EQ(Calls("StartSend").size(), 1u);
    ASSERT_EQ(Calls("AddMaterial").size(), 1u);
    char colour[32];
    std::snprintf(colour, sizeof colour, "<DiffuseColor>#%02X0000<", red);
    EXPECT_NE(Calls("AddMaterial")[0]["record"].get<std::string>().find(colour), std::string::npos);
  }
}

// Rhino may tell only the parent layer's change when it turns a layer tree
// off or on: the objects of its sublayers go and come back all the same.
TEST_F(LiveEvents, AParentLayerTurnedOffAndOnWithItsOwnEventAloneReachesItsSublayers) {
  for (const bool on : {false, true}) {
    from = TheProcess().log.Size();
    CRhinoLayer& site = doc->m_layer_table.StandinLayer(1);
    const ON_Layer old(site);
    site.SetVisible(on);
    rhino_standin::RaiseEvent([&](CRhinoEventWatcher& w) {
      w.LayerTableEvent(CRhinoEventWatcher::layer_modified, doc->m_layer_table, 1, &old);
    });
    Idle(400);
    EXPECT_EQ(Calls("DeleteElement").size(), on ? 0u : 1u);
    EXPECT_EQ(Calls("BeginElement").size(), on ? 1u : 0u);
  }
}

// Faults and awkward timing: each ends with what the renderer holds right.
TEST_F(LiveEvents, FaultsAndTimingHaveTheirOutcome) {
  // Another document's material changes: nothing to send.
  CRhinoDoc other;
  auto material = std::make_unique<CRhRdkMaterial>();
  CRhRdkContent& foreign = other.StandinRdk().StandinAdd(std::move(material), true);
  rhino_standin::RaiseRdkEvent(
      [&](CRhRdkEventWatcher& w) { w.OnContentChanged(foreign, foreign, RhRdkChangeContext::UI); });
  Idle(400);
  EXPECT_TRUE(Calls("Connect").empty());

  // An object deleted before the idle that follows its edit is withdrawn.
  CRhinoObject& post = Object("post");
  rhino_standin::RaiseEvent([&](CRhinoEventWatcher& w) {
    w.OnModifyObjectAttributes(*doc, post, post.Attributes());
    post.StandinSetDeleted(true);
    w.OnDeleteObject(*doc, post);
  });
  Idle(400);
  ASSERT_EQ(Calls("DeleteElement").size(), 1u);
  EXPECT_TRUE(Calls("BeginElement").empty());

  // New units while the update's connect waits go with that update: every
  // element again.
  from = TheProcess().log.Size();
  setenv("ORVEX_CONNECT_WAIT_MS", "100", 1);
  Edit("slab", 120);
  doc->SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Meters));
  rhino_standin::RaiseEvent([&](CRhinoEventWatcher& w) { w.OnDocumentPropertiesChanged(*doc); });
  Idle(400);
  setenv("ORVEX_CONNECT_WAIT_MS", "0", 1);
  EXPECT_EQ(Calls("StartSend").size(), 1u);
  EXPECT_EQ(Calls("AddMaterial").size(), 1u);  // the materials element again
  EXPECT_EQ(Calls("AddMesh").size(), 2u);      // its swatch and the slab

  // Without units every length is not a number, before an edit and after it:
  // the edit sends its own element only.
  doc->SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Unset));
  rhino_standin::RaiseEvent([&](CRhinoEventWatcher& w) { w.OnDocumentPropertiesChanged(*doc); });
  Idle(400);
  from = TheProcess().log.Size();
  Edit("slab", 400);
  EXPECT_EQ(Calls("BeginElement").size(), 1u);
  EXPECT_TRUE(Calls("AddMaterial").empty());
}

}  // namespace
