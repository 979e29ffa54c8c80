// The light description's texts: records, numbers, transforms and escaping.
#include "light/light_description.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "light_test_support.h"

namespace {

using light::LightType;
using light_test::ParsesAsXml;

const std::wstring kLightId = L"1a2b3c4d-0000-4000-8000-00000000000a";
const std::wstring kLayerId = L"9f8e7d6c-1111-4222-8333-444455556666";

TEST(LightNumberText, WritesSixDecimalsWithAFullStop) {
  EXPECT_EQ(light::NumberText(12.5), L"12.500000");
  EXPECT_EQ(light::NumberText(1e-7), L"0.000000");
  EXPECT_EQ(light::NumberText(-1.5), L"-1.500000");
  EXPECT_EQ(light::NumberText(0.0), L"0.000000");
  EXPECT_EQ(light::NumberText(-0.0), L"-0.000000");
  EXPECT_EQ(light::NumberText(0.0000005000001), L"0.000001");
  EXPECT_EQ(light::NumberText(123456789.0), L"123456789.000000");
}

TEST(LightNumberText, WritesNoExponentForLargeValues) {
  const std::wstring text = light::NumberText(1e22);
  EXPECT_EQ(text, L"10000000000000000000000.000000");
  EXPECT_EQ(light::NumberText(1e300).size(), 301u + 7u);
}

TEST(LightNumberText, WritesWhatTheCLibraryWritesForNanAndInfinity) {
  char expected[16];
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::snprintf(expected, sizeof expected, "%f", nan);
  EXPECT_EQ(light::NumberText(nan), std::wstring(expected, expected + std::strlen(expected)));
  std::snprintf(expected, sizeof expected, "%f", -nan);
  EXPECT_EQ(light::NumberText(-nan), std::wstring(expected, expected + std::strlen(expected)));
  EXPECT_EQ(light::NumberText(std::numeric_limits<double>::infinity()), L"inf");
  EXPECT_EQ(light::NumberText(-std::numeric_limits<double>::infinity()), L"-inf");
}

TEST(LightNumberText, IgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  // A locale with a decimal comma, when the system has one.
  const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  const std::wstring text = light::NumberText(2.25);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(text, L"2.250000") << (switched ? "under de_DE" : "under C");
}

TEST(LightRecords, RootGroupRecordNamesTheFile) {
  EXPECT_EQ(light::RootGroupRecord(L"House.3dm"),
            L"<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId>"
            L"<GroupName>House.3dm</GroupName></LightGroup>");
  EXPECT_EQ(light::RootGroupRecord(L""),
            L"<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId>"
            L"<GroupName></GroupName></LightGroup>");
}

TEST(LightRecords, LayerGroupRecordHangsUnderTheRoot) {
  EXPECT_EQ(light::LayerGroupRecord(kLayerId, L"Lights"),
            L"<LightGroup><GroupId>9f8e7d6c-1111-4222-8333-444455556666</GroupId>"
            L"<ParentGroupId>0</ParentGroupId><GroupName>Lights</GroupName></LightGroup>");
}

TEST(LightRecords, HeaderTagsTheNameWithFourIdCharacters) {
  EXPECT_EQ(light::LightSourceHeader(kLightId, kLayerId, L"Spot"),
            L"<LightSource><UpdateMode>0</UpdateMode>"
            L"<LightId>1a2b3c4d-0000-4000-8000-00000000000a</LightId>"
            L"<ParentGroupId>9f8e7d6c-1111-4222-8333-444455556666</ParentGroupId>"
            L"<LightName>Spot[1a2b]</LightName>");
  // An unnamed light has just the tag.
  EXPECT_NE(
      light::LightSourceHeader(kLightId, kLayerId, L"").find(L"<LightName>[1a2b]</LightName>"),
      std::wstring::npos);
}

TEST(LightRecords, MarkupInNamesIsEscaped) {
  EXPECT_EQ(light::LayerGroupRecord(kLayerId, L"R&D <west>"),
            L"<LightGroup><GroupId>9f8e7d6c-1111-4222-8333-444455556666</GroupId>"
            L"<ParentGroupId>0</ParentGroupId><GroupName>R&amp;D &lt;west&gt;</GroupName>"
            L"</LightGroup>");
  EXPECT_NE(light::LightSourceHeader(kLightId, kLayerId, L"a<b>&c")
                .find(L"<LightName>a&lt;b&gt;&amp;c[1a2b]</LightName>"),
            std::wstring::npos);
  EXPECT_EQ(light::RootGroupRecord(L"Tom & Jerry <1>.3dm"),
            L"<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId>"
            L"<GroupName>Tom &amp; Jerry &lt;1&gt;.3dm</GroupName></LightGroup>");
}

TEST(LightRecords, TypeLiterals) {
  EXPECT_EQ(light::TypeText(LightType::Point), L"<type>0</type>");
  EXPECT_EQ(light::TypeText(LightType::Spot), L"<type>1</type>");
  EXPECT_EQ(light::TypeText(LightType::Linear), L"<type>2</type>");
  EXPECT_EQ(light::TypeText(LightType::Rectangular), L"<type>3</type>");
}

TEST(LightTransform, PointLightHasTheFixedRowsAndTheExchangedPosition) {
  EXPECT_EQ(light::PointTransformText(ON_3dPoint(200.0, 100.0, 300.0)),
            L"<Transform>1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0,"
            L"100.000000,200.000000,300.000000,1.0</Transform>");
}

TEST(LightTransform, RowsAreTheRendererFormsOfColumnsOneZeroTwo) {
  // Every entry distinct, so any mix-up of rows, columns or the axis exchange shows.
  Eigen::Matrix3d r;
  r << 0.11, 0.12, 0.13,  //
      0.21, 0.22, 0.23,   //
      0.31, 0.32, 0.33;
  EXPECT_EQ(light::TransformText(r, ON_3dPoint(-1.0, 2.0, -3.5)),
            L"<Transform>0.220000,0.120000,0.320000,0.0,"
            L"0.210000,0.110000,0.310000,0.0,"
            L"0.230000,0.130000,0.330000,0.0,"
            L"2.000000,-1.000000,-3.500000,1.0</Transform>");
}

TEST(LightBodies, EachKindWritesItsTypeTransformSizesAndBrightness) {
  const Eigen::Matrix3d identity = Eigen::Matrix3d::Identity();
  const ON_3dPoint p(1.0, 2.0, 3.0);
  const std::wstring rotationRows =
      L"1.000000,0.000000,0.000000,0.0,0.000000,1.000000,0.000000,0.0,"
      L"0.000000,0.000000,1.000000,0.0,";
  EXPECT_EQ(light::PointLightBody(p),
            L"<type>0</type><Transform>1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0,"
            L"2.000000,1.000000,3.000000,1.0</Transform>"
            L"<Brightness>40</Brightness></LightSource>");
  EXPECT_EQ(light::SpotLightBody(identity, p), L"<type>1</type><Transform>" + rotationRows +
                                                   L"2.000000,1.000000,3.000000,1.0</Transform>"
                                                   L"<Brightness>40</Brightness></LightSource>");
  EXPECT_EQ(light::AreaLightBody(LightType::Linear, identity, p, 4.0, 5.0),
            L"<type>2</type><Transform>" + rotationRows +
                L"2.000000,1.000000,3.000000,1.0</Transform>"
                L"<SizeX>4.000000</SizeX><SizeY>5.000000</SizeY>"
                L"<Brightness>40</Brightness></LightSource>");
  EXPECT_EQ(light::AreaLightBody(LightType::Rectangular, identity, p, 0.5, 0.25),
            L"<type>3</type><Transform>" + rotationRows +
                L"2.000000,1.000000,3.000000,1.0</Transform>"
                L"<SizeX>0.500000</SizeX><SizeY>0.250000</SizeY>"
                L"<Brightness>40</Brightness></LightSource>");
}

TEST(LightBodies, WholeDescriptionIsWellFormed) {
  const std::wstring records = light::LayerGroupRecord(kLayerId, L"A & B") +
                               light::LightSourceHeader(kLightId, kLayerId, L"<Lamp>") +
                               light::PointLightBody(ON_3dPoint(0, 0, 0));
  const std::wstring whole = light::WholeDescription(L"a&b.3dm", records);
  EXPECT_EQ(whole, light::RootGroupRecord(L"a&b.3dm") + records + L"</Root>");
  EXPECT_TRUE(ParsesAsXml(whole));
}

}  // namespace
