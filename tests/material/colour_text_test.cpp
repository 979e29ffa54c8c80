#include "material/colour_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace material {
namespace {

TEST(ColourTextTest, ByteColourIsUpperCaseHexRedGreenBlue) {
  EXPECT_EQ(ColourText(ON_Color(255, 0, 0)), L"#FF0000");
  EXPECT_EQ(ColourText(ON_Color(0, 0, 0)), L"#000000");
  EXPECT_EQ(ColourText(ON_Color(255, 255, 255)), L"#FFFFFF");
  EXPECT_EQ(ColourText(ON_Color(0x12, 0xAB, 0x0F)), L"#12AB0F");
  EXPECT_EQ(ColourText(ON_Color(1, 2, 3)), L"#010203");
}

TEST(ColourTextTest, ByteColourIgnoresAlpha) {
  EXPECT_EQ(ColourText(ON_Color(10, 160, 250, 200)), L"#0AA0FA");
  EXPECT_EQ(ColourText(ON_Color(0, 0, 0, 255)), L"#000000");
}

// One channel value in the red place, the others zero.
std::wstring RedOnly(float v) { return ColourText(ON_4fColor(v, 0.0f, 0.0f, 1.0f)); }

TEST(ColourTextTest, FloatChannelRounding) {
  struct Case {
    float value;
    const wchar_t* text;
  };
  const Case cases[] = {
      {1.0f, L"#FF0000"},   {1.5f, L"#FF0000"},   {0.5f, L"#800000"},  {0.75f, L"#BF0000"},
      {0.001f, L"#000000"}, {0.002f, L"#010000"}, {0.0f, L"#000000"},  {-0.2f, L"#000000"},
      {-1.0f, L"#000000"},  {-0.0f, L"#000000"},  {0.25f, L"#400000"}, {0.998f, L"#FE0000"},
      {1.0e6f, L"#FF0000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << c.value);
    EXPECT_EQ(RedOnly(c.value), c.text);
  }
}

TEST(ColourTextTest, FloatChannelsThatAreNotNumbersOrInfinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(ColourText(ON_4fColor(nan, nan, nan, 1.0f)), L"#000000");
  EXPECT_EQ(ColourText(ON_4fColor(inf, -inf, 0.5f, 1.0f)), L"#FF0080");
}

TEST(ColourTextTest, FloatChannelsKeepTheirPlacesAndIgnoreAlpha) {
  EXPECT_EQ(ColourText(ON_4fColor(0.5f, 0.75f, 0.002f, 0.0f)), L"#80BF01");
  EXPECT_EQ(ColourText(ON_4fColor(0.0f, 1.0f, 0.0f, 0.3f)), L"#00FF00");
  EXPECT_EQ(ColourText(ON_4fColor(0.0f, 0.0f, 1.0f, 1.0f)), L"#0000FF");
}

TEST(ColourTextTest, FloatChannelIsScaledInSinglePrecision) {
  // 128.5 / 255 as a float: times 255 in single precision is exactly 128.5,
  // which rounds up to 129; in double precision it would stay just below.
  const std::uint32_t bits = 0x3F010101u;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  EXPECT_EQ(RedOnly(value), L"#810000");
}

TEST(ColourTextTest, FloatColourOfAByteColourGivesTheSameText) {
  for (int v : {0, 1, 127, 128, 200, 254, 255}) {
    SCOPED_TRACE(v);
    const ON_Color bytes(v, 255 - v, v / 2);
    EXPECT_EQ(ColourText(ON_4fColor(bytes)), ColourText(bytes));
  }
}

}  // namespace
}  // namespace material
