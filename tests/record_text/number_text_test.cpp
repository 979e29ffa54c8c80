#include "record_text/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <limits>
#include <string>

#include "material/material_conversion.h"

namespace record_text {
namespace {

TEST(NumberTextTest, SixDecimalsFixedPoint) {
  EXPECT_EQ(NumberText(0.25), L"0.250000");
  EXPECT_EQ(NumberText(10.0), L"10.000000");
  EXPECT_EQ(NumberText(-1.5), L"-1.500000");
  EXPECT_EQ(NumberText(0.5 / 3.0), L"0.166667");
  EXPECT_EQ(NumberText(1.0e7), L"10000000.000000");
  EXPECT_EQ(NumberText(1.0e-7), L"0.000000");
  EXPECT_EQ(NumberText(0.0), L"0.000000");
}

TEST(NumberTextTest, AgreesWithFormattedPrintInTheClassicLocale) {
  const double values[] = {0.3,    3.0000000000000004,  5e-7, 2.5e-6,  -2.5e-6,     0.1234565,
                           1.0e20, 123456789.987654321, -0.0, 1.0e300, 0.999999951, 270.0};
  for (double v : values) {
    wchar_t expected[400];
    std::swprintf(expected, 400, L"%f", v);
    SCOPED_TRACE(testing::Message() << "value " << v);
    EXPECT_EQ(NumberText(v), std::wstring(expected));
  }
}

// A process that switched to a comma-decimal locale still gets full stops.
TEST(NumberTextTest, IgnoresTheProcessLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE",
                           "fr_FR", "German_Germany.1252"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no comma-decimal locale installed";

  const std::wstring number = NumberText(0.25);
  ON_Material glass;
  glass.SetName(L"Glass");
  glass.m_transparency = 0.25;
  const std::wstring record = material::BasicMaterialRecord(glass);
  std::setlocale(LC_ALL, saved.c_str());

  EXPECT_EQ(number, L"0.250000") << "locale " << chosen;
  EXPECT_NE(record.find(L"<Opacity>0.750000</Opacity>"), std::wstring::npos) << "locale " << chosen;
}

}  // namespace
}  // namespace record_text
