#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <regex>

#include "tests/support/scoped_env.h"

using test_support::ScopedEnv;

TEST(TextTest, Utf8RoundTripsThroughWideAndUtf16) {
  const std::string text = "D:/项目/house \xF0\x9F\x8F\xA0.3dm";  // a CJK path and a house emoji
  const std::optional<std::wstring> wide = platform::Utf8ToWide(text);
  ASSERT_TRUE(wide);
  EXPECT_EQ(platform::WideToUtf8(*wide), text);
  const std::u16string utf16 = platform::WideToUtf16(*wide);
  EXPECT_EQ(utf16.size(), wide->size() + 1);  // the emoji takes a surrogate pair
  EXPECT_EQ(platform::Utf16ToWide(utf16), *wide);
}

TEST(TextTest, InvalidUtf8IsRefused) {
  for (const char* bad : {"\xff", "\xc3", "\xe4\xb8", "\xc0\xaf", "\xed\xa0\x80", "a\x80z"})
    EXPECT_FALSE(platform::Utf8ToWide(bad)) << bad;
  EXPECT_EQ(platform::Utf8ToWide(""), std::wstring());
}

TEST(TextTest, LoneSurrogatesBecomeReplacementCharacters) {
  const std::u16string lone = {u'a', static_cast<char16_t>(0xD800), u'b'};
  EXPECT_EQ(platform::Utf16ToWide(lone),
            L"a\xFFFD"
            L"b");
}

TEST(TextTest, AnsiIsUtf8HereAndKeepsOtherBytes) {
  EXPECT_EQ(platform::WideToAnsi(L"0.9.0 é"), "0.9.0 \xc3\xa9");
  EXPECT_EQ(platform::AnsiToWide("\xff"), std::wstring(1, L'\xff'));
}

TEST(DesktopTest, LanguageComesFromLcAllThenLang) {
  platform::Desktop& desktop = platform::DefaultDesktop();
  {
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv lang("LANG", "zh_CN.UTF-8");
    EXPECT_EQ(desktop.SystemDefaultLanguageId(), 2052);
  }
  {
    ScopedEnv all("LC_ALL", "en_US.UTF-8");
    ScopedEnv lang("LANG", "zh_CN.UTF-8");
    EXPECT_EQ(desktop.SystemDefaultLanguageId(), 1033);
  }
  {
    ScopedEnv all("LC_ALL", "zh_CN.GB2312");
    ScopedEnv lang("LANG", "C");
    EXPECT_EQ(desktop.SystemDefaultLanguageId(), 2052);
  }
  {
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv lang("LANG", "zh_TW.UTF-8");
    EXPECT_EQ(desktop.SystemDefaultLanguageId(), 1033);
  }
}

TEST(DesktopTest, ReplacedDesktopAnswersAndNullRestoresTheDefault) {
  struct Recording : platform::Desktop {
    int SystemDefaultLanguageId() override { return 2052; }
    std::optional<std::wstring> ChooseFolder(const std::wstring& title) override {
      titles.push_back(title);
      return std::nullopt;
    }
    void ShellOpen(const std::wstring&, const std::wstring&, const std::wstring&) override {}
    std::vector<std::wstring> titles;
  } recording;
  platform::SetDesktop(&recording);
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 2052);
  EXPECT_FALSE(platform::ChooseFolder(L"Pick"));
  EXPECT_EQ(recording.titles, std::vector<std::wstring>{L"Pick"});
  platform::SetDesktop(nullptr);
  EXPECT_EQ(&platform::CurrentDesktop(), &platform::DefaultDesktop());
}

TEST(FoldersTest, RoamingFolderFollowsXdgConfigHomeThenHome) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/orvex-config");
    EXPECT_EQ(platform::RoamingAppDataFolder(), std::wstring(L"/tmp/orvex-config"));
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(platform::RoamingAppDataFolder(), std::wstring(L"/home/someone/.config"));
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "");
    ScopedEnv home("HOME", std::nullopt);
    EXPECT_FALSE(platform::RoamingAppDataFolder());
  }
}

TEST(FoldersTest, FileNamePartTakesTheTextAfterTheLastSeparator) {
  EXPECT_EQ(platform::FileNamePart(L"D:\\projects\\house.3dm"), L"house.3dm");
  EXPECT_EQ(platform::FileNamePart(L"/home/a/b.3dm"), L"b.3dm");
  EXPECT_EQ(platform::FileNamePart(L"plain.3dm"), L"plain.3dm");
  EXPECT_EQ(platform::FileNamePart(L""), L"");
  EXPECT_EQ(platform::FileNamePart(L"/folder/"), L"");
}

TEST(IdentifiersTest, NewUuidTextsAreVersion4AndDistinct) {
  const std::regex form("^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$");
  const std::string a = platform::NewUuidText();
  const std::string b = platform::NewUuidText();
  EXPECT_TRUE(std::regex_match(a, form)) << a;
  EXPECT_TRUE(std::regex_match(b, form)) << b;
  EXPECT_NE(a, b);
}

TEST(LibraryTest, LoadsLibrariesFindsExportsAndKnowsItsOwnModule) {
  EXPECT_EQ(platform::LoadLibraryFromPath(L"/nonexistent/OrvexPlugin.so"), nullptr);
  const platform::ModuleHandle bridge = platform::LoadLibraryFromPath(ORVEX_BRIDGE_FILE_W);
  ASSERT_NE(bridge, nullptr);
  EXPECT_NE(platform::FindExport(bridge, "CreateModel"), nullptr);
  EXPECT_EQ(platform::FindExport(bridge, "NoSuchExport"), nullptr);
  EXPECT_EQ(platform::FindExport(nullptr, "CreateModel"), nullptr);
  const std::wstring self =
      platform::ModulePathOf(reinterpret_cast<const void*>(&platform::NewUuidText));
  EXPECT_NE(self.find(L"liborvex_platform.so"), std::wstring::npos);
  EXPECT_STREQ(platform::LibrarySuffix(), L".so");
}
