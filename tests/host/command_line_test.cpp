#include "command_line.h"

#include <gtest/gtest.h>

namespace {

bool Parse(std::vector<std::string> args, HostOptions* options, std::string* error) {
  std::vector<char*> argv = {const_cast<char*>("orvex-host")};
  for (std::string& a : args) argv.push_back(a.data());
  return ParseHostOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

}  // namespace

TEST(CommandLineTest, SplitsOnBlanksAndGroupsQuotedWords) {
  EXPECT_EQ(SplitCommandLine("Hide chair"), (std::vector<std::string>{"Hide", "chair"}));
  EXPECT_EQ(SplitCommandLine("  Open   \"My House.orvexdoc.json\"  "),
            (std::vector<std::string>{"Open", "My House.orvexdoc.json"}));
  EXPECT_EQ(SplitCommandLine("Hide \"\""), (std::vector<std::string>{"Hide", ""}));
  EXPECT_EQ(SplitCommandLine("SaveAs D:/a\" b\"/c.3dm"),
            (std::vector<std::string>{"SaveAs", "D:/a b/c.3dm"}));
  EXPECT_TRUE(SplitCommandLine(" \t\r\n").empty());
}

TEST(CommandLineTest, LeadingUnderscoresAndHyphensAreIgnored) {
  EXPECT_EQ(CommandName("_OrvexConverterStart"), "OrvexConverterStart");
  EXPECT_EQ(CommandName("-_Hide"), "Hide");
  EXPECT_EQ(CommandName("Zoom"), "Zoom");
}

TEST(CommandLineTest, OptionsKeepTheirOrderAndRefuseBadValues) {
  HostOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--lang", "zh", "--answer", "ok", "--answer", "cancel", "--folder", "/a",
                     "--folder", "cancel", "Cmd1", "Cmd 2"},
                    &options, &error));
  EXPECT_EQ(options.languageId, 2052);
  EXPECT_EQ(options.answers, (std::vector<int>{1, 2}));
  ASSERT_EQ(options.folders.size(), 2u);
  EXPECT_EQ(options.folders[0], std::optional<std::string>("/a"));
  EXPECT_FALSE(options.folders[1]);
  EXPECT_EQ(options.commands, (std::vector<std::string>{"Cmd1", "Cmd 2"}));

  HostOptions numeric;
  ASSERT_TRUE(Parse({"--lang", "1041"}, &numeric, &error));
  EXPECT_EQ(numeric.languageId, 1041);
  ASSERT_TRUE(Parse({"--units", "feet"}, &numeric, &error));
  EXPECT_EQ(numeric.units, "feet");
  for (const auto& bad : std::vector<std::vector<std::string>>{
           {"--lang", "fr"},
           {"--lang", "4294968329"},  // would wrap to 1033 in a 32-bit id
           {"--answer", "yes"},
           {"--units", "cubits"},
           {"--doc"},
           {"--bogus"}}) {
    HostOptions o;
    EXPECT_FALSE(Parse(bad, &o, &error)) << bad[0];
    EXPECT_FALSE(error.empty());
  }
}
