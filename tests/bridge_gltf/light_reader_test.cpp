// Reading light descriptions back: groups and lights in text order, the transform rows, the
// sizes, and lights or texts that are left out with a reason.

#include "standin/bridge/light_reader.h"

#include <gtest/gtest.h>

namespace orvex_bridge {
namespace {

std::string Source(const std::string& id, const std::string& name, int type,
                   const std::string& transform, const std::string& sizes = "") {
  return "<LightSource><UpdateMode>0</UpdateMode><LightId>" + id +
         "</LightId><ParentGroupId>aa03</ParentGroupId><LightName>" + name + "</LightName><type>" +
         std::to_string(type) + "</type><Transform>" + transform + "</Transform>" + sizes +
         "<Brightness>40</Brightness></LightSource>";
}

const char* kRoot =
    "<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId>"
    "<GroupName>house.3dm</GroupName></LightGroup><LightGroup><GroupId>aa03</GroupId>"
    "<ParentGroupId>0</ParentGroupId><GroupName>Lights &amp; Lamps</GroupName></LightGroup>";

TEST(ReadLightDescription, ReadsGroupsLightsTransformsAndSizes) {
  const std::string xml =
      kRoot +
      Source("2e01", "Ceiling[2e01]", 0,
             "1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0,200.000000,300.000000,"
             "270.000000,1.0") +
      Source("2e02", "Panel[2e02]", 3,
             "0.000000,1.000000,0.000000,0.0,-1.000000,0.000000,0.000000,0.0,0.000000,0.000000,"
             "1.000000,0.0,180.000000,300.000000,279.000000,1.0",
             "<SizeX>60.000000</SizeX><SizeY>100.000000</SizeY>") +
      "</Root>";
  std::vector<std::string> problems;
  const LightDescription description = ReadLightDescription(xml, problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(description.groups.size(), 2u);
  EXPECT_EQ(description.groups[0].id, "0");
  EXPECT_EQ(description.groups[0].parentId, "");
  EXPECT_EQ(description.groups[0].name, "house.3dm");
  EXPECT_EQ(description.groups[1].id, "aa03");
  EXPECT_EQ(description.groups[1].parentId, "0");
  EXPECT_EQ(description.groups[1].name, "Lights & Lamps");

  ASSERT_EQ(description.lights.size(), 2u);
  const LightRecord& point = description.lights[0];
  EXPECT_EQ(point.id, "2e01");
  EXPECT_EQ(point.groupId, "aa03");
  EXPECT_EQ(point.name, "Ceiling[2e01]");
  EXPECT_EQ(point.kind, LightKind::kPoint);
  EXPECT_EQ(point.transform,
            (std::array<double, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 200, 300, 270, 1}));
  EXPECT_EQ(point.brightness, 40.0);
  EXPECT_EQ(point.sizeX, 0.0);

  const LightRecord& panel = description.lights[1];
  EXPECT_EQ(panel.kind, LightKind::kRectangular);
  EXPECT_EQ(panel.transform,
            (std::array<double, 16>{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 180, 300, 279, 1}));
  EXPECT_EQ(panel.sizeX, 60.0);
  EXPECT_EQ(panel.sizeY, 100.0);
}

TEST(ReadLightDescription, LeavesOutLightsOfUnknownTypeOrWithoutAFiniteTransform) {
  const std::string identityAt = "1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,";
  const std::string xml = kRoot + Source("a", "Odd", 7, identityAt + "1,2,3,1.0") +
                          Source("b", "Unitless", 1, identityAt + "nan,nan,nan,1.0") +
                          Source("c", "Short", 1, identityAt + "1,2,1.0") +
                          Source("d", "Kept", 2, identityAt + "1,2,3,1.0") + "</Root>";
  std::vector<std::string> problems;
  const LightDescription description = ReadLightDescription(xml, problems);
  ASSERT_EQ(description.lights.size(), 1u);
  EXPECT_EQ(description.lights[0].name, "Kept");
  EXPECT_EQ(description.lights[0].kind, LightKind::kLinear);
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0], "light Odd has the unknown type \"7\"");
  EXPECT_EQ(problems[1], "light Unitless has no transform of sixteen finite numbers");
  EXPECT_EQ(problems[2], "light Short has no transform of sixteen finite numbers");
}

TEST(ReadLightDescription, EmptyAndBrokenTexts) {
  std::vector<std::string> problems;
  LightDescription description = ReadLightDescription("", problems);
  EXPECT_TRUE(description.groups.empty());
  EXPECT_TRUE(description.lights.empty());
  EXPECT_TRUE(problems.empty());

  description = ReadLightDescription("<Root><LightGroup><GroupId>0</GroupId>", problems);
  EXPECT_TRUE(description.groups.empty());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind("the light description does not parse: ", 0), 0u) << problems[0];

  problems.clear();
  description = ReadLightDescription("<Lights/>", problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "the light description's root element is <Lights>, not <Root>");
}

TEST(TransformFromText, SixteenNumbersWithOptionalBlanks) {
  const auto values = TransformFromText(" 1, 2,3 ,4,5,6,7,8,9,10,11,12,13,14,15,-16.5");
  ASSERT_TRUE(values);
  EXPECT_EQ((*values)[0], 1.0);
  EXPECT_EQ((*values)[2], 3.0);
  EXPECT_EQ((*values)[15], -16.5);
  EXPECT_FALSE(TransformFromText("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"));
  EXPECT_FALSE(TransformFromText("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17"));
  EXPECT_FALSE(TransformFromText("1,2,3,4,5,6,7,8,9,10,11,12,13,14,,16"));
  EXPECT_FALSE(TransformFromText("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,"));
  EXPECT_FALSE(TransformFromText(""));
}

}  // namespace
}  // namespace orvex_bridge
