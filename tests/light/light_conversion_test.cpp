// The conversion of each light kind into its light source record, through the
// exporter's description of a document.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "light/light_exporter.h"
#include "light_test_support.h"
#include "platform/platform.h"

namespace {

using light::LightExporter;
using light_test::AddLayer;
using light_test::AddLight;
using light_test::ElementText;
using light_test::ExpectTransformNear;
using light_test::MakeDocument;
using light_test::ParsesAsXml;
using light_test::TransformFields;

constexpr char kLayerId[] = "9f8e7d6c-1111-4222-8333-444455556666";
constexpr char kLightId[] = "1a2b3c4d-0000-4000-8000-00000000000a";

class LightConversion : public ::testing::Test {
 protected:
  // A metre document with one layer "Lights".
  void SetUp() override {
    doc = MakeDocument(ON::LengthUnitSystem::Meters, L"/projects/House.3dm");
    layer = AddLayer(*doc, kLayerId, L"Lights");
  }

  // Describes the document and checks that the result is well-formed.
  std::wstring Describe() {
    const std::wstring text = exporter.Describe(*doc);
    if (!text.empty()) {
      EXPECT_TRUE(ParsesAsXml(text));
    }
    return text;
  }

  std::unique_ptr<CRhinoDoc> doc;
  int layer = 0;
  bridge::Bridge notLoaded;
  LightExporter exporter{notLoaded};
};

TEST_F(LightConversion, PointLightInAMetreDocument) {
  CRhinoLight& lamp = AddLight(*doc, ON::light_style::world_point_light, layer, kLightId, L"Lamp");
  lamp.m_light.SetLocation(ON_3dPoint(1, 2, 3));
  EXPECT_EQ(Describe(),
            L"<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId>"
            L"<GroupName>House.3dm</GroupName></LightGroup>"
            L"<LightGroup><GroupId>9f8e7d6c-1111-4222-8333-444455556666</GroupId>"
            L"<ParentGroupId>0</ParentGroupId><GroupName>Lights</GroupName></LightGroup>"
            L"<LightSource><UpdateMode>0</UpdateMode>"
            L"<LightId>1a2b3c4d-0000-4000-8000-00000000000a</LightId>"
            L"<ParentGroupId>9f8e7d6c-1111-4222-8333-444455556666</ParentGroupId>"
            L"<LightName>Lamp[1a2b]</LightName><type>0</type>"
            L"<Transform>1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0,"
            L"200.000000,100.000000,300.000000,1.0</Transform>"
            L"<Brightness>40</Brightness></LightSource></Root>");
  EXPECT_EQ(exporter.Scale(), 100.0);
}

TEST_F(LightConversion, PointLightInAMillimetreDocument) {
  AddLight(*doc, ON::light_style::world_point_light, layer, kLightId, L"Lamp")
      .m_light.SetLocation(ON_3dPoint(-250, 40, 1000));
  doc->SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Millimeters));
  const std::vector<std::wstring> fields = TransformFields(Describe());
  ASSERT_EQ(fields.size(), 16u);
  EXPECT_EQ(fields[12], L"4.000000");
  EXPECT_EQ(fields[13], L"-25.000000");
  EXPECT_EQ(fields[14], L"100.000000");
  EXPECT_DOUBLE_EQ(exporter.Scale(), 0.1);
}

TEST_F(LightConversion, SpotPointingDownHasTheIdentityRotation) {
  CRhinoLight& spot = AddLight(*doc, ON::light_style::world_spot_light, layer, kLightId, L"Spot");
  spot.m_light.SetLocation(ON_3dPoint(1, 2, 3));
  spot.m_light.SetDirection(ON_3dVector(0, 0, -1));
  const std::wstring text = Describe();
  EXPECT_NE(text.find(L"<LightName>Spot[1a2b]</LightName><type>1</type>"
                      L"<Transform>1.000000,0.000000,0.000000,0.0,"
                      L"0.000000,1.000000,0.000000,0.0,"
                      L"0.000000,0.000000,1.000000,0.0,"
                      L"200.000000,100.000000,300.000000,1.0</Transform>"
                      L"<Brightness>40</Brightness></LightSource></Root>"),
            std::wstring::npos)
      << platform::WideToUtf8(text);
  EXPECT_EQ(text.find(L"<SizeX>"), std::wstring::npos);
}

TEST_F(LightConversion, SpotPointingUpIsTurnedHalfway) {
  CRhinoLight& spot = AddLight(*doc, ON::light_style::world_spot_light, layer, kLightId, L"Up");
  spot.m_light.SetDirection(ON_3dVector(0, 0, 1));
  const std::vector<std::wstring> fields = TransformFields(Describe());
  ASSERT_EQ(fields.size(), 16u);
  // Rows: images of y, x and z in the renderer frame. The image of z, the
  // third row, must be straight down so that (0, 0, -1) turns into (0, 0, 1).
  EXPECT_NEAR(std::stod(fields[8]), 0.0, 1e-6);
  EXPECT_NEAR(std::stod(fields[9]), 0.0, 1e-6);
  EXPECT_EQ(fields[10], L"-1.000000");
  // The x and y images lie in the horizontal plane, orthonormal.
  const double yImage[3] = {std::stod(fields[0]), std::stod(fields[1]), std::stod(fields[2])};
  const double xImage[3] = {std::stod(fields[4]), std::stod(fields[5]), std::stod(fields[6])};
  EXPECT_NEAR(yImage[2], 0.0, 1e-6);
  EXPECT_NEAR(xImage[2], 0.0, 1e-6);
  EXPECT_NEAR(yImage[0] * yImage[0] + yImage[1] * yImage[1], 1.0, 1e-5);
  EXPECT_NEAR(xImage[0] * xImage[0] + xImage[1] * xImage[1], 1.0, 1e-5);
  EXPECT_NEAR(yImage[0] * xImage[0] + yImage[1] * xImage[1], 0.0, 1e-5);
}

TEST_F(LightConversion, SpotPointingAlongAnAxis) {
  // Rhino +x: the rotation is a quarter turn about -y, [[0,0,-1],[0,1,0],[1,0,0]].
  CRhinoLight& spot = AddLight(*doc, ON::light_style::world_spot_light, layer, kLightId, L"X");
  spot.m_light.SetDirection(ON_3dVector(4, 0, 0));
  spot.m_light.SetLocation(ON_3dPoint(0.5, 0, 0));
  ExpectTransformNear(Describe(), {1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 50, 0}, 1e-6);

  // Rhino +y: a quarter turn about +x; the image of z ends along renderer -x.
  spot.m_light.SetDirection(ON_3dVector(0, 1, 0));
  ExpectTransformNear(Describe(), {0, 0, 1, 0, 1, 0, -1, 0, 0, 0, 50, 0}, 1e-6);
}

TEST_F(LightConversion, LinearLightWithZeroWidthKeepsTheUnnormalisedProduct) {
  CRhinoLight& tube = AddLight(*doc, ON::light_style::world_linear_light, layer, kLightId, L"Tube");
  tube.m_light.SetLocation(ON_3dPoint(1, 1, 0));
  tube.m_light.SetLength(ON_3dVector(0, 2, 0));
  tube.m_light.SetWidth(ON_3dVector(0, 0, 0));
  const std::wstring text = Describe();
  EXPECT_NE(text.find(L"<type>2</type>"
                      L"<Transform>0.500000,-0.500000,0.000000,0.0,"
                      L"0.500000,0.500000,0.000000,0.0,"
                      L"0.000000,0.000000,1.000000,0.0,"
                      L"200.000000,100.000000,0.000000,1.0</Transform>"
                      L"<SizeX>0.000000</SizeX><SizeY>200.000000</SizeY>"
                      L"<Brightness>40</Brightness></LightSource>"),
            std::wstring::npos)
      << platform::WideToUtf8(text);
}

TEST_F(LightConversion, LinearLightStandsAtTheCentreOfItsParallelogram) {
  CRhinoLight& tube = AddLight(*doc, ON::light_style::world_linear_light, layer, kLightId, L"Tube");
  tube.m_light.SetLocation(ON_3dPoint(1, 2, 3));
  tube.m_light.SetLength(ON_3dVector(0, 0, 3));
  tube.m_light.SetWidth(ON_3dVector(0.5, 0, 0));
  // Local z along the normal (+y), local x along the length (+z); centre (1.25, 2, 4.5).
  const std::wstring text = Describe();
  ExpectTransformNear(text, {0, 1, 0, 0, 0, 1, 1, 0, 0, 200, 125, 450}, 1e-6);
  EXPECT_EQ(ElementText(text, L"SizeX"), L"50.000000");
  EXPECT_EQ(ElementText(text, L"SizeY"), L"300.000000");
}

TEST_F(LightConversion, RectangularLightTwoMetresByOne) {
  CRhinoLight& panel =
      AddLight(*doc, ON::light_style::world_rectangular_light, layer, kLightId, L"Panel");
  panel.m_light.SetLocation(ON_3dPoint(0, 0, 3));
  panel.m_light.SetDirection(ON_3dVector(0, 0, -1));
  panel.m_light.SetLength(ON_3dVector(2, 0, 0));
  panel.m_light.SetWidth(ON_3dVector(0, 1, 0));
  const std::wstring text = Describe();
  EXPECT_NE(text.find(L"<LightName>Panel[1a2b]</LightName><type>3</type>"
                      L"<Transform>1.000000,0.000000,0.000000,0.0,"
                      L"0.000000,1.000000,0.000000,0.0,"
                      L"0.000000,0.000000,1.000000,0.0,"
                      L"50.000000,100.000000,300.000000,1.0</Transform>"
                      L"<SizeX>100.000000</SizeX><SizeY>200.000000</SizeY>"
                      L"<Brightness>40</Brightness></LightSource>"),
            std::wstring::npos)
      << platform::WideToUtf8(text);
}

TEST_F(LightConversion, RectangularLightTurnsItsXAxisToThePerpendicularDirection) {
  // Length along Rhino y: the host's perpendicular direction is +y, so local x
  // turns to +y (a quarter turn about z).
  CRhinoLight& panel =
      AddLight(*doc, ON::light_style::world_rectangular_light, layer, kLightId, L"Panel");
  panel.m_light.SetDirection(ON_3dVector(0, 0, -1));
  panel.m_light.SetLength(ON_3dVector(0, 2, 0));
  panel.m_light.SetWidth(ON_3dVector(1, 0, 0));
  const std::wstring text = Describe();
  ExpectTransformNear(text, {0, -1, 0, 1, 0, 0, 0, 0, 1, 100, 50, 0}, 1e-6);
  EXPECT_EQ(ElementText(text, L"SizeX"), L"100.000000");
  EXPECT_EQ(ElementText(text, L"SizeY"), L"200.000000");
}

TEST_F(LightConversion, UnsetUnitsPrintTheFormattedNanAndKeepTheFixedTexts) {
  doc->SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Unset));
  AddLight(*doc, ON::light_style::world_point_light, layer, kLightId, L"Lamp")
      .m_light.SetLocation(ON_3dPoint(1, -2, 3));
  CRhinoLight& panel =
      AddLight(*doc, ON::light_style::world_rectangular_light, layer, kLightId, L"Panel");
  panel.m_light.SetDirection(ON_3dVector(0, 0, -1));
  panel.m_light.SetLength(ON_3dVector(2, 0, 0));
  panel.m_light.SetWidth(ON_3dVector(0, 1, 0));
  const std::wstring text = Describe();
  EXPECT_TRUE(std::isnan(exporter.Scale()));

  const std::wregex nan(L"-?nan");
  const std::wstring pointPart = text.substr(0, text.find(L"<type>3</type>"));
  const std::vector<std::wstring> point = TransformFields(pointPart);
  ASSERT_EQ(point.size(), 16u);
  const std::wstring fixedRows = L"1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0,";
  EXPECT_NE(pointPart.find(L"<Transform>" + fixedRows), std::wstring::npos);
  for (int i = 12; i < 15; ++i)
    EXPECT_TRUE(std::regex_match(point[static_cast<size_t>(i)], nan)) << i;
  EXPECT_EQ(point[15], L"1.0");

  const std::wstring panelPart = text.substr(text.find(L"<type>3</type>"));
  const std::vector<std::wstring> rect = TransformFields(panelPart);
  ASSERT_EQ(rect.size(), 16u);
  // The rotation does not depend on the units.
  EXPECT_EQ(rect[0], L"1.000000");
  EXPECT_EQ(rect[10], L"1.000000");
  for (int i = 12; i < 15; ++i)
    EXPECT_TRUE(std::regex_match(rect[static_cast<size_t>(i)], nan)) << i;
  EXPECT_TRUE(std::regex_match(ElementText(panelPart, L"SizeX"), nan));
  EXPECT_TRUE(std::regex_match(ElementText(panelPart, L"SizeY"), nan));
  EXPECT_NE(panelPart.find(L"<Brightness>40</Brightness></LightSource></Root>"),
            std::wstring::npos);
}

TEST_F(LightConversion, NamesAndTheFileNameAreEscaped) {
  doc->SetPathName(L"/projects/R&D <draft>.3dm");
  AddLayer(*doc, "00000000-0000-4000-8000-000000000002", L"A&B");
  AddLight(*doc, ON::light_style::world_point_light, 1, kLightId, L"<Lamp & Co>");
  const std::wstring text = Describe();
  EXPECT_NE(text.find(L"<GroupName>R&amp;D &lt;draft&gt;.3dm</GroupName>"), std::wstring::npos);
  EXPECT_NE(text.find(L"<GroupName>A&amp;B</GroupName>"), std::wstring::npos);
  EXPECT_NE(text.find(L"<LightName>&lt;Lamp &amp; Co&gt;[1a2b]</LightName>"), std::wstring::npos);
}

TEST_F(LightConversion, NoQualifyingLightGivesTheEmptyText) {
  AddLight(*doc, ON::light_style::world_directional_light, layer, kLightId, L"Sun");
  AddLight(*doc, ON::light_style::ambient_light, layer, kLightId, L"Sky");
  EXPECT_EQ(Describe(), L"");
  EXPECT_EQ(exporter.Text(), L"");
}

TEST_F(LightConversion, EachDescriptionStartsAfresh) {
  AddLight(*doc, ON::light_style::world_point_light, layer, kLightId, L"Lamp");
  const std::wstring first = Describe();
  // The same document again: the layer group is written again, the text not doubled.
  EXPECT_EQ(Describe(), first);
}

}  // namespace
