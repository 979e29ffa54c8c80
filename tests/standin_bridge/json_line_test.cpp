#include "standin/bridge/json_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace orvex_bridge {
namespace {

std::string Json(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

std::string Json(float value) {
  std::string out;
  AppendJsonFloat(out, value);
  return out;
}

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(Json("plain"), "\"plain\"");
  EXPECT_EQ(Json("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(Json("C:\\Renders\\a"), "\"C:\\\\Renders\\\\a\"");
  EXPECT_EQ(Json("a\nb\tc\rd\be\ff"), "\"a\\nb\\tc\\rd\\be\\ff\"");
  EXPECT_EQ(Json(std::string_view("\x01\x1f\0", 3)), "\"\\u0001\\u001f\\u0000\"");
  EXPECT_EQ(Json("\x7f"), "\"\x7f\"");  // not a control character in JSON
}

TEST(JsonString, KeepsUtf8AsItIs) {
  EXPECT_EQ(Json("\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80"),
            "\"\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\"");
}

TEST(JsonFloat, WritesKnownValuesShortest) {
  EXPECT_EQ(Json(0.1f), "0.1");
  EXPECT_EQ(Json(100.0f), "100");
  EXPECT_EQ(Json(1e-7f), "1e-07");
  EXPECT_EQ(Json(-2.5f), "-2.5");
  EXPECT_EQ(Json(0.0f), "0");
  EXPECT_EQ(Json(-0.0f), "-0");
  EXPECT_EQ(Json(16777216.0f), "16777216");
  EXPECT_EQ(Json(std::numeric_limits<float>::max()), "3.4028235e+38");
  EXPECT_EQ(Json(std::numeric_limits<float>::denorm_min()), "1e-45");
}

TEST(JsonFloat, WritesNonFiniteAsStrings) {
  EXPECT_EQ(Json(std::numeric_limits<float>::quiet_NaN()), "\"nan\"");
  EXPECT_EQ(Json(-std::numeric_limits<float>::quiet_NaN()), "\"nan\"");
  EXPECT_EQ(Json(std::numeric_limits<float>::infinity()), "\"inf\"");
  EXPECT_EQ(Json(-std::numeric_limits<float>::infinity()), "\"-inf\"");
}

bool ReadsBackTo(const char* text, float value) {
  const float back = std::strtof(text, nullptr);
  return std::memcmp(&back, &value, sizeof value) == 0;
}

// The shortest text that reads back, found with printf: the fewest digits in exponent form and
// the fewest decimals in plain form, whichever is shorter (plain on a tie).
std::string ShortestByPrintf(float value) {
  char exponent[64] = "";
  for (int precision = 0; precision < 12; ++precision) {
    std::snprintf(exponent, sizeof exponent, "%.*e", precision, static_cast<double>(value));
    if (ReadsBackTo(exponent, value)) break;
  }
  char plain[128] = "";
  for (int decimals = 0; decimals < 80; ++decimals) {
    std::snprintf(plain, sizeof plain, "%.*f", decimals, static_cast<double>(value));
    if (ReadsBackTo(plain, value)) break;
  }
  return std::strlen(plain) <= std::strlen(exponent) ? plain : exponent;
}

// Random finite floats: the text reads back to the same bits and matches the shortest text
// found independently.
TEST(JsonFloat, RandomFloatsAreShortestAndReadBack) {
  std::mt19937 random(20240607);
  int checked = 0;
  while (checked < 20000) {
    const std::uint32_t bits = random();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    // Powers of two are left out: below them the floats lie closer together, so the nearest
    // shorter text is not the only candidate that could read back.
    if (!std::isfinite(value) || (bits & 0x7FFFFF) == 0) continue;
    ++checked;
    const std::string text = Json(value);
    ASSERT_TRUE(ReadsBackTo(text.c_str(), value)) << text;
    ASSERT_EQ(text, ShortestByPrintf(value));
  }
}

TEST(JsonLine, WritesMembersInCallOrder) {
  JsonLine line;
  line.Int("model", 3)
      .Text("name", "m")
      .Bool("ok", true)
      .Bool("no", false)
      .Null("none")
      .Float("fov", 0.5f);
  EXPECT_EQ(line.Members(),
            "\"model\":3,\"name\":\"m\",\"ok\":true,\"no\":false,\"none\":null,\"fov\":0.5");
  EXPECT_EQ(JsonLine().Members(), "");
  EXPECT_EQ(JsonLine().Int("big", -9007199254740993LL).Members(), "\"big\":-9007199254740993");
}

TEST(JsonLine, ConvertsUtf16TextsAndNullTexts) {
  const char16_t lone[] = {u'x', 0xDC00, 0};
  JsonLine line;
  line.Text("a", u"\u00e9\"\U0001F600")
      .Text("b", static_cast<const char16_t*>(nullptr))
      .Text("c", lone);
  EXPECT_EQ(line.Members(),
            "\"a\":\"\xC3\xA9\\\"\xF0\x9F\x98\x80\",\"b\":null,\"c\":\"x\xEF\xBF\xBD\"");
}

TEST(JsonLine, ArraysHoldExactlyCountElements) {
  const float floats[] = {1.5f, 0.1f, -3.0f, 999.0f};
  const int ints[] = {0, 1, 2, 999};
  EXPECT_EQ(JsonLine().Floats("p", floats, 3).Members(), "\"p\":[1.5,0.1,-3]");
  EXPECT_EQ(JsonLine().Ints("i", ints, 3).Members(), "\"i\":[0,1,2]");
  EXPECT_EQ(JsonLine().Floats("p", floats, 0).Members(), "\"p\":[]");
  EXPECT_EQ(JsonLine().Floats("p", floats, -4).Members(), "\"p\":[]");
  EXPECT_EQ(JsonLine().Ints("i", ints, -1).Members(), "\"i\":[]");
}

TEST(JsonLine, NullArrayIsNullOnlyWhenElementsWereAnnounced) {
  EXPECT_EQ(JsonLine().Floats("p", nullptr, 3).Members(), "\"p\":null");
  EXPECT_EQ(JsonLine().Ints("i", nullptr, 1).Members(), "\"i\":null");
  EXPECT_EQ(JsonLine().Floats("p", nullptr, 0).Members(), "\"p\":[]");
  EXPECT_EQ(JsonLine().Ints("i", nullptr, -2).Members(), "\"i\":[]");
}

}  // namespace
}  // namespace orvex_bridge
