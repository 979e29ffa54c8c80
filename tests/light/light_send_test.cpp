// Sending the lights through the real bridge stand-in library, loaded in this
// process, whose call log shows what the renderer received.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "RhinoSdk.h"
#include "light/light_exporter.h"
#include "light_test_support.h"
#include "platform/platform.h"
#include "tests/support/process_call_log.h"
#include "tests/support/recording_host.h"

namespace {

using light::LightExporter;
using light_test::AddLayer;
using light_test::AddLight;
using light_test::MakeDocument;
using nlohmann::json;

constexpr char kL1[] = "11111111-1111-4111-8111-111111111111";
constexpr char kL2[] = "22222222-2222-4222-8222-222222222222";
constexpr char kL3[] = "33333333-3333-4333-8333-333333333333";
constexpr char kA[] = "aaaaaaaa-0000-4000-8000-000000000001";
constexpr char kB[] = "bbbbbbbb-0000-4000-8000-000000000002";
constexpr char kC[] = "cccccccc-0000-4000-8000-000000000003";
constexpr char kD[] = "dddddddd-0000-4000-8000-000000000004";

std::wstring Wide(const char* utf8) { return *platform::Utf8ToWide(utf8); }

class LightSend : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The bridge reads ORVEX_BRIDGE_LOG once, when it is loaded; it is removed
    // again once both libraries are in, so that only they log.
    callLog = std::make_unique<test_support::ProcessCallLog>("orvex-light-send");
    mainBridge = bridge::Bridge(platform::LoadLibraryFromPath(Wide(ORVEX_TEST_BRIDGE_LIBRARY)));
    bridgeWithoutLights =
        bridge::Bridge(platform::LoadLibraryFromPath(Wide(ORVEX_TEST_BRIDGE_WITHOUT_SEND_LIGHTS)));
    unsetenv("ORVEX_BRIDGE_LOG");
  }

  // The libraries stay loaded, as in the plug-in; only the log goes.
  static void TearDownTestSuite() { callLog.reset(); }

  void SetUp() override {
    ASSERT_TRUE(mainBridge.IsLoaded()) << ORVEX_TEST_BRIDGE_LIBRARY;
    ASSERT_TRUE(bridgeWithoutLights.IsLoaded()) << ORVEX_TEST_BRIDGE_WITHOUT_SEND_LIGHTS;
    seen = callLog->Size();
    doc = MakeDocument(ON::LengthUnitSystem::Meters, L"/projects/Studio.3dm");
  }

  // The bridge calls made since the test began.
  std::vector<json> NewCalls() { return callLog->CallsFrom(seen); }

  // The one SendLightsDataXml call of this test; its description must be well-formed.
  json OneSend() {
    const std::vector<json> calls = NewCalls();
    EXPECT_EQ(calls.size(), 1u);
    if (calls.size() != 1) return json::object();
    EXPECT_EQ(calls[0].at("fn"), "SendLightsDataXml");
    const std::string xml = calls[0].at("xml").get<std::string>();
    if (!xml.empty()) {
      EXPECT_TRUE(light_test::ParsesAsXml(*platform::Utf8ToWide(xml)));
    }
    return calls[0];
  }

  // The records under Root as "group <id> <name>" and "light <id> <parent> <name>".
  static std::vector<std::string> Records(const std::string& xml) {
    pugi::xml_document parsed;
    EXPECT_TRUE(parsed.load_string(xml.c_str()));
    std::vector<std::string> records;
    for (pugi::xml_node node : parsed.child("Root").children()) {
      const std::string name = node.name();
      if (name == "LightGroup")
        records.push_back("group " + std::string(node.child_value("GroupId")) + " " +
                          node.child_value("GroupName"));
      else if (name == "LightSource")
        records.push_back("light " + std::string(node.child_value("LightId")) + " " +
                          node.child_value("ParentGroupId") + " " + node.child_value("LightName"));
      else
        records.push_back("other " + name);
    }
    return records;
  }

  static std::string Group(const char* id, const char* name) {
    return "group " + std::string(id) + " " + name;
  }
  static std::string Light(const char* id, const char* layer, const char* name) {
    return "light " + std::string(id) + " " + layer + " " + name + "[" + std::string(id, 4) + "]";
  }

  static inline std::unique_ptr<test_support::ProcessCallLog> callLog;
  static inline bridge::Bridge mainBridge;
  static inline bridge::Bridge bridgeWithoutLights;

  test_support::RecordingHost host;
  size_t seen = 0;
  std::unique_ptr<CRhinoDoc> doc;
};

TEST_F(LightSend, EachLayerGroupStandsBeforeItsFirstLight) {
  const int l1 = AddLayer(*doc, kL1, L"L1");
  const int l2 = AddLayer(*doc, kL2, L"L2");
  const int l3 = AddLayer(*doc, kL3, L"L3");
  AddLight(*doc, ON::light_style::world_point_light, l1, kA, L"A");
  AddLight(*doc, ON::light_style::world_spot_light, l2, kB, L"B");
  AddLight(*doc, ON::light_style::world_linear_light, l1, kC, L"C");
  AddLight(*doc, ON::light_style::world_rectangular_light, l3, kD, L"D");

  LightExporter exporter(mainBridge);
  exporter.SendLights(doc.get());
  const json call = OneSend();
  EXPECT_EQ(call.value("path", ""), "/projects/Studio.3dm");
  EXPECT_EQ(Records(call.value("xml", "")),
            (std::vector<std::string>{"group 0 Studio.3dm", Group(kL1, "L1"), Light(kA, kL1, "A"),
                                      Group(kL2, "L2"), Light(kB, kL2, "B"), Light(kC, kL1, "C"),
                                      Group(kL3, "L3"), Light(kD, kL3, "D")}));
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(LightSend, DirectionalAndAmbientLightsGiveNoRecordAndNoGroup) {
  const int l1 = AddLayer(*doc, kL1, L"Sun layer");
  const int l2 = AddLayer(*doc, kL2, L"Sky layer");
  const int l3 = AddLayer(*doc, kL3, L"Lamps");
  AddLight(*doc, ON::light_style::world_directional_light, l1, kA, L"Sun");
  AddLight(*doc, ON::light_style::camera_directional_light, l1, kB, L"Head");
  AddLight(*doc, ON::light_style::ambient_light, l2, kC, L"Sky");
  AddLight(*doc, ON::light_style::world_point_light, l3, kD, L"Lamp");

  LightExporter exporter(mainBridge);
  exporter.SendLights(doc.get());
  EXPECT_EQ(Records(OneSend().value("xml", "")),
            (std::vector<std::string>{"group 0 Studio.3dm", Group(kL3, "Lamps"),
                                      Light(kD, kL3, "Lamp")}));
}

TEST_F(LightSend, DeletedAndInactiveLightsAreSkippedSwitchedOffOnesAreSent) {
  const int l1 = AddLayer(*doc, kL1, L"L1");
  CRhinoLayer hidden;
  hidden.SetId(ON_UuidFromString(kL2));
  hidden.SetName(L"Hidden");
  hidden.SetVisible(false);
  const int l2 = doc->m_layer_table.AddLayer(hidden);
  AddLight(*doc, ON::light_style::world_point_light, l1, kA, L"Deleted").StandinSetDeleted(true);
  AddLight(*doc, ON::light_style::world_point_light, l1, kB, L"Linked").StandinSetActive(false);
  AddLight(*doc, ON::light_style::world_point_light, l1, kC, L"Off").m_light.Enable(false);
  AddLight(*doc, ON::light_style::world_point_light, l2, kD, L"OnHiddenLayer");

  LightExporter exporter(mainBridge);
  exporter.SendLights(doc.get());
  EXPECT_EQ(Records(OneSend().value("xml", "")),
            (std::vector<std::string>{"group 0 Studio.3dm", Group(kL1, "L1"), Light(kC, kL1, "Off"),
                                      Group(kL2, "Hidden"), Light(kD, kL2, "OnHiddenLayer")}));
}

TEST_F(LightSend, NoQualifyingLightSendsTheEmptyText) {
  LightExporter exporter(mainBridge);
  exporter.SendLights(doc.get());  // an empty light table
  json call = OneSend();
  EXPECT_EQ(call.value("path", "?"), "/projects/Studio.3dm");
  EXPECT_EQ(call.value("xml", "?"), "");

  seen = callLog->Size();
  const int l1 = AddLayer(*doc, kL1, L"L1");
  AddLight(*doc, ON::light_style::world_directional_light, l1, kA, L"Sun");
  AddLight(*doc, ON::light_style::world_point_light, l1, kB, L"Gone").StandinSetDeleted(true);
  exporter.SendLights(doc.get());
  call = OneSend();
  EXPECT_EQ(call.value("xml", "?"), "");
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(LightSend, AnUnsavedDocumentHasAnEmptyGroupName) {
  doc->SetPathName(L"");
  AddLight(*doc, ON::light_style::world_point_light, AddLayer(*doc, kL1, L"L1"), kA, L"A");
  LightExporter exporter(mainBridge);
  exporter.SendLights(doc.get());
  const json call = OneSend();
  EXPECT_EQ(call.value("path", "?"), "");
  const std::string xml = call.value("xml", "");
  EXPECT_EQ(xml.rfind("<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId>"
                      "<GroupName></GroupName></LightGroup><LightGroup>",
                      0),
            0u)
      << xml;
}

TEST_F(LightSend, NamesWithMarkupAndBeyondAsciiArriveIntact) {
  doc->SetPathName(L"/projects/R&D <draft>/Büro & Co.3dm");
  const int l1 = AddLayer(*doc, kL1, L"Lichter <für> & Ö");
  AddLight(*doc, ON::light_style::world_point_light, l1, kA, L"灯 & <lamp>");
  LightExporter exporter(mainBridge);
  exporter.SendLights(doc.get());
  const json call = OneSend();
  EXPECT_EQ(call.value("path", "?"), "/projects/R&D <draft>/Büro & Co.3dm");
  EXPECT_EQ(Records(call.value("xml", "")),
            (std::vector<std::string>{"group 0 Büro & Co.3dm", Group(kL1, "Lichter <für> & Ö"),
                                      Light(kA, kL1, "灯 & <lamp>")}));
}

TEST_F(LightSend, ABridgeWithoutTheExportShowsItsMessageAndSendsNothing) {
  AddLight(*doc, ON::light_style::world_point_light, AddLayer(*doc, kL1, L"L1"), kA, L"A");
  LightExporter exporter(bridgeWithoutLights);
  exporter.SendLights(doc.get());
  ASSERT_EQ(host.Boxes().size(), 1u);
  EXPECT_EQ(host.Boxes()[0].text, L"Get dll func error");
  EXPECT_EQ(host.Boxes()[0].caption, L"error");
  EXPECT_EQ(host.Boxes()[0].flags, 0u);

  // The empty send looks the export up too.
  auto empty = MakeDocument(ON::LengthUnitSystem::Meters, L"/projects/Empty.3dm");
  host.languageId = 2052;
  exporter.SendLights(empty.get());
  ASSERT_EQ(host.Boxes().size(), 2u);
  EXPECT_EQ(host.Boxes()[1].text, L"获取dll函数失败,请检查dll文件的正确性");
  EXPECT_EQ(host.Boxes()[1].caption, L"error");
  EXPECT_TRUE(NewCalls().empty());
}

TEST_F(LightSend, WithoutADocumentNothingIsSent) {
  LightExporter exporter(mainBridge);
  AddLight(*doc, ON::light_style::world_point_light, AddLayer(*doc, kL1, L"L1"), kA, L"A");
  doc->SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Millimeters));
  exporter.SendLights(doc.get());
  EXPECT_FALSE(exporter.Text().empty());
  seen = callLog->Size();

  exporter.SendLights(nullptr);
  EXPECT_TRUE(NewCalls().empty());
  EXPECT_TRUE(host.Boxes().empty());
  EXPECT_EQ(exporter.Scale(), 1.0);
  EXPECT_TRUE(exporter.Text().empty());
}

TEST_F(LightSend, ABridgeWithoutItsLibraryCountsAsAMissingExport) {
  AddLight(*doc, ON::light_style::world_point_light, AddLayer(*doc, kL1, L"L1"), kA, L"A");
  const bridge::Bridge notLoaded;
  LightExporter exporter(notLoaded);
  exporter.SendLights(doc.get());
  ASSERT_EQ(host.Boxes().size(), 1u);
  EXPECT_EQ(host.Boxes()[0].text, L"Get dll func error");
  EXPECT_TRUE(NewCalls().empty());
}

}  // namespace
