// Send lights through the host: the light description the renderer receives.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "host_sandbox.h"

using nlohmann::json;

namespace {

json LightsDocument() {
  json doc = SavedDocument();
  doc["units"] = "meters";
  doc["layers"] = json::parse(R"([
    {"id": "aa000001-0000-4000-8000-0000000000a1", "name": "L1"},
    {"id": "aa000002-0000-4000-8000-0000000000a2", "name": "L2 <&>"},
    {"id": "aa000003-0000-4000-8000-0000000000a3", "name": "L3"}])");
  doc["lights"] = json::parse(R"([
    {"id": "1a2b0001-0000-4000-8000-000000000001", "name": "Bulb", "layer": "L1", "kind": "point", "location": [1, 2, 3]},
    {"id": "1a2b0002-0000-4000-8000-000000000002", "name": "Spot", "layer": "L2 <&>", "kind": "spot", "location": [0, 0, 3], "direction": [0, 0, -1]},
    {"id": "1a2b0003-0000-4000-8000-000000000003", "name": "Off", "layer": "L1", "kind": "point", "on": false},
    {"id": "1a2b0004-0000-4000-8000-000000000004", "name": "Panel", "layer": "L3", "kind": "rectangular", "location": [0, 0, 3], "direction": [0, 0, -1], "length": [2, 0, 0], "width": [0, 1, 0]},
    {"id": "1a2b0005-0000-4000-8000-000000000005", "name": "Sun", "layer": "L3", "kind": "directional"},
    {"id": "1a2b0006-0000-4000-8000-000000000006", "name": "Gone", "layer": "L2 <&>", "kind": "point", "deleted": true},
    {"id": "1a2b0007-0000-4000-8000-000000000007", "name": "Elsewhere", "layer": "L2 <&>", "kind": "point", "active": false}])");
  return doc;
}

// The order of group ids and light ids in the description.
std::vector<std::string> Outline(const pugi::xml_node& root) {
  std::vector<std::string> outline;
  for (pugi::xml_node node : root.children()) {
    if (std::string(node.name()) == "LightGroup")
      outline.push_back(std::string("group ") + node.child_value("GroupName"));
    else
      outline.push_back(std::string("light ") + node.child_value("LightName"));
  }
  return outline;
}

}  // namespace

TEST(LightsTest, GroupsStandBeforeTheirFirstLightAndSkippedLightsLeaveNoTrace) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run =
      sandbox.RunDocument(LightsDocument(), {"OrvexConverterStart", "OrvexConverterSendLights"});
  const auto sends = run.Calls("SendLightsDataXml");
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_EQ(sends[0]["path"], "D:/projects/house.3dm");
  const std::string xml = sends[0]["xml"];
  pugi::xml_document parsed;
  ASSERT_TRUE(parsed.load_string(xml.c_str())) << xml;
  const pugi::xml_node root = parsed.child("Root");
  EXPECT_EQ(Outline(root),
            (std::vector<std::string>{"group house.3dm", "group L1", "light Bulb[1a2b]",
                                      "group L2 <&>", "light Spot[1a2b]", "light Off[1a2b]",
                                      "group L3", "light Panel[1a2b]"}));
  // The point light in a metre document: fixed rows, then its position in centimetres.
  EXPECT_NE(xml.find("<Transform>1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0,"
                     "200.000000,100.000000,300.000000,1.0</Transform>"),
            std::string::npos);
  EXPECT_NE(xml.find("<SizeX>100.000000</SizeX><SizeY>200.000000</SizeY>"), std::string::npos);
  EXPECT_NE(run.out.find("OrvexConverter: Success\nOrvexConverter: Success\n"), std::string::npos);
}

TEST(LightsTest, NoQualifyingLightSendsTheEmptyTextAndAnUnsavedNameIsEmpty) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = LightsDocument();
  const HostRun none =
      sandbox.Run({"--doc", sandbox.WriteDocument(SavedDocument(), "plain").string(),
                   "OrvexConverterStart", "OrvexConverterSendLights"});
  ASSERT_EQ(none.Calls("SendLightsDataXml").size(), 1u);
  EXPECT_EQ(none.Calls("SendLightsDataXml")[0]["xml"], "");

  const HostRun unsaved =
      sandbox.RunDocument(doc, {"OrvexConverterStart", "SaveAs \"\"", "OrvexConverterSendLights"});
  const auto sends = unsaved.Calls("SendLightsDataXml");
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_EQ(sends[0]["path"], "");
  const std::string xml = sends[0]["xml"];
  EXPECT_EQ(xml.rfind("<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId>"
                      "<GroupName></GroupName></LightGroup>",
                      0),
            0u);
}

TEST(LightsTest, BridgeWithoutTheExportShowsItsMessage) {
  HostSandbox sandbox("no_SendLightsDataXml");
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(
      LightsDocument(), {"--lang", "zh", "OrvexConverterStart", "OrvexConverterSendLights"});
  const auto boxes = run.Events("message_box");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], "获取dll函数失败,请检查dll文件的正确性");
  EXPECT_EQ(boxes[0]["caption"], "error");
  EXPECT_TRUE(run.Calls("SendLightsDataXml").empty());
  // The command still reports success: the failure was told in the box.
  EXPECT_NE(run.out.find("OrvexConverter: Success\nOrvexConverter: Success\n"), std::string::npos);
}
