// The renderer states as the loaded bridge library reports them.

#include <filesystem>
#include <string>

#include "tests/standin_bridge/bridge_fixture.h"

namespace orvex_bridge_test {
namespace {

class BridgeRenderer : public BridgeTest {};

std::u16string Utf16(const std::filesystem::path& path) { return path.u16string(); }

TEST_F(BridgeRenderer, StartCodeIsOneUntilARendererFolderIsAccepted) {
  Load();
  TempDir renderer, empty;
  Touch(renderer.path() / "OrvexRender");
  auto setPath = BRIDGE_FN(SetOrvexRenderPath);
  auto startLink = BRIDGE_FN(StartLinkOrvexRender);

  EXPECT_EQ(startLink(u"doc.3dm"), 1);
  EXPECT_FALSE(setPath(Utf16(empty.path()).c_str()));
  EXPECT_FALSE(setPath(nullptr));
  EXPECT_EQ(startLink(u"doc.3dm"), 1);
  EXPECT_TRUE(setPath(Utf16(renderer.path()).c_str()));
  EXPECT_EQ(startLink(u"doc.3dm"), 0);
  EXPECT_FALSE(setPath(Utf16(empty.path()).c_str()));  // the accepted folder is kept
  EXPECT_EQ(startLink(nullptr), 0);

  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[4]["path"], renderer.path().string());
  EXPECT_EQ(log[4]["result"], true);
  EXPECT_TRUE(log[2]["path"].is_null());
  EXPECT_EQ(log[2]["result"], false);
  EXPECT_EQ(log[5]["result"], 0);
}

TEST_F(BridgeRenderer, AcceptsTheWindowsProgramNameAndNonAsciiFolders) {
  Load();
  TempDir base;
  const std::filesystem::path folder =
      base.path() / std::filesystem::u8path("Rendu \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");
  std::filesystem::create_directory(folder);
  Touch(folder / "OrvexRender.exe");
  EXPECT_TRUE(BRIDGE_FN(SetOrvexRenderPath)(Utf16(folder).c_str()));
  EXPECT_FALSE(BRIDGE_FN(SetOrvexRenderPath)(Utf16(folder / "OrvexRender.exe").c_str()));
  EXPECT_EQ(BRIDGE_FN(StartLinkOrvexRender)(u"doc"), 0);
  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0]["path"], folder.u8string());
}

TEST_F(BridgeRenderer, ConnectSucceedsAndHasConnectedFollowsIt) {
  Load();
  auto connect = BRIDGE_FN(Connect);
  auto hasConnected = BRIDGE_FN(HasConnected);
  EXPECT_FALSE(hasConnected());
  EXPECT_EQ(connect(), 0);
  EXPECT_TRUE(hasConnected());
  BRIDGE_FN(DisConnect)();
  EXPECT_FALSE(hasConnected());
}

TEST_F(BridgeRenderer, EnvironmentOverridesAreReadAtEachCall) {
  Load();
  auto startLink = BRIDGE_FN(StartLinkOrvexRender);
  auto connect = BRIDGE_FN(Connect);
  auto hasConnected = BRIDGE_FN(HasConnected);
  {
    ScopedEnv start("ORVEX_BRIDGE_START_CODE", "7");
    EXPECT_EQ(startLink(u"doc"), 7);  // even with no folder accepted
  }
  {
    ScopedEnv start("ORVEX_BRIDGE_START_CODE", "-2");
    EXPECT_EQ(startLink(u"doc"), -2);
  }
  {
    ScopedEnv start("ORVEX_BRIDGE_START_CODE", "0");
    EXPECT_EQ(startLink(u"doc"), 0);
  }
  EXPECT_EQ(startLink(u"doc"), 1);
  {
    ScopedEnv code("ORVEX_BRIDGE_CONNECT_CODE", "5");
    EXPECT_EQ(connect(), 5);
    EXPECT_FALSE(hasConnected());  // a failed connect does not connect
  }
  EXPECT_EQ(connect(), 0);
  EXPECT_TRUE(hasConnected());
  {
    ScopedEnv forced("ORVEX_BRIDGE_HAS_CONNECTED", "0");
    EXPECT_FALSE(hasConnected());
  }
  BRIDGE_FN(DisConnect)();
  {
    ScopedEnv forced("ORVEX_BRIDGE_HAS_CONNECTED", "1");
    EXPECT_TRUE(hasConnected());
  }
  EXPECT_FALSE(hasConnected());

  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 12u);
  EXPECT_EQ(log[0]["result"], 7);
  EXPECT_EQ(log[4]["fn"], "Connect");
  EXPECT_EQ(log[4]["result"], 5);
  EXPECT_EQ(log[5]["result"], false);
  EXPECT_EQ(log[10]["result"], true);
}

TEST_F(BridgeRenderer, UnreadableOverridesAreIgnored) {
  Load();
  ScopedEnv start("ORVEX_BRIDGE_START_CODE", "seven");
  ScopedEnv code("ORVEX_BRIDGE_CONNECT_CODE", "3x");
  ScopedEnv forced("ORVEX_BRIDGE_HAS_CONNECTED", "");
  EXPECT_EQ(BRIDGE_FN(StartLinkOrvexRender)(u"doc"), 1);
  EXPECT_EQ(BRIDGE_FN(Connect)(), 0);
  EXPECT_TRUE(BRIDGE_FN(HasConnected)());
}

TEST_F(BridgeRenderer, CreateModelNumbersModelsFromOneWithoutReuse) {
  Load();
  auto create = BRIDGE_FN(CreateModel);
  EXPECT_EQ(create(), 1);
  EXPECT_EQ(create(), 2);
  EXPECT_EQ(create(), 3);
  BRIDGE_FN(DestroyModel)(2);
  EXPECT_EQ(create(), 4);
  const auto log = LogObjects();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[3]["fn"], "DestroyModel");
  EXPECT_EQ(log[3]["model"], 2);
  EXPECT_EQ(log[4]["result"], 4);
}

TEST_F(BridgeRenderer, WithoutALogFileNothingIsWritten) {
  // The log file is named when the library loads; naming it later has no effect.
  logEnv_.emplace("ORVEX_BRIDGE_LOG", std::nullopt);
  library_ = std::make_unique<BridgeLibrary>(MainLibraryPath());
  ASSERT_TRUE(library_->loaded()) << library_->error();
  ScopedEnv log("ORVEX_BRIDGE_LOG", (dir_.path() / "late.jsonl").string());
  EXPECT_EQ(BRIDGE_FN(Connect)(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

}  // namespace
}  // namespace orvex_bridge_test
