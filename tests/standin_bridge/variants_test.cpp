// The test variants of the bridge library, each lacking chosen exports.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/bridge_api.h"
#include "tests/standin_bridge/bridge_library.h"

namespace orvex_bridge_test {
namespace {

const std::vector<std::string> kExports = {"SetOrvexRenderPath",
                                           "StartLinkOrvexRender",
                                           "SetModelFilePath",
                                           "Connect",
                                           "HasConnected",
                                           "DisConnect",
                                           "CreateModel",
                                           "DestroyModel",
                                           "BeginElement",
                                           "EndElement",
                                           "DeleteElement",
                                           "AddMaterial",
                                           "AddMesh",
                                           "AddInstance",
                                           "OptimizeModel",
                                           "StartSend",
                                           "SendLightsDataXml",
                                           "AddScene",
                                           "StartSendScenes",
                                           "SetCameraTransformFov"};

std::vector<std::string> PresentExports(const BridgeLibrary& library) {
  std::vector<std::string> present;
  for (const std::string& name : kExports) {
    if (library.Symbol(name.c_str()) != nullptr) present.push_back(name);
  }
  return present;
}

std::vector<std::string> AllExportsBut(const std::string& missing) {
  std::vector<std::string> names;
  for (const std::string& name : kExports) {
    if (name != missing) names.push_back(name);
  }
  return names;
}

TEST(BridgeExports, MainLibraryHasEveryExportAndHidesItsInternals) {
  ScopedEnv log("ORVEX_BRIDGE_LOG", std::nullopt);
  BridgeLibrary library(MainLibraryPath());
  ASSERT_TRUE(library.loaded()) << library.error();
  EXPECT_EQ(PresentExports(library), kExports);
  // orvex_bridge::Utf16ToUtf8(char16_t const*): internal names are not exported.
  EXPECT_EQ(library.Symbol("_ZN12orvex_bridge11Utf16ToUtf8EPKDs"), nullptr);
}

class BridgeVariant : public ::testing::TestWithParam<std::string> {};

TEST_P(BridgeVariant, LacksExactlyItsExport) {
  ScopedEnv log("ORVEX_BRIDGE_LOG", std::nullopt);
  const std::string missing = GetParam();
  BridgeLibrary library(VariantLibraryPath("no_" + missing));
  ASSERT_TRUE(library.loaded()) << library.error();
  EXPECT_EQ(library.Symbol(missing.c_str()), nullptr);
  EXPECT_EQ(PresentExports(library), AllExportsBut(missing));
}

INSTANTIATE_TEST_SUITE_P(Variants, BridgeVariant,
                         ::testing::Values("SetModelFilePath", "Connect", "CreateModel",
                                           "SendLightsDataXml", "AddScene", "StartSendScenes",
                                           "SetCameraTransformFov", "DestroyModel",
                                           "SetOrvexRenderPath", "StartLinkOrvexRender",
                                           "AddInstance"),
                         [](const auto& info) { return info.param; });

TEST(BridgeVariants, NoExportsVariantLoadsWithNoneOfThem) {
  ScopedEnv log("ORVEX_BRIDGE_LOG", std::nullopt);
  BridgeLibrary library(VariantLibraryPath("no_exports"));
  ASSERT_TRUE(library.loaded()) << library.error();
  EXPECT_EQ(PresentExports(library), std::vector<std::string>{});
}

TEST(BridgeVariants, VariantWithoutConnectStillWorksOtherwise) {
  ScopedEnv log("ORVEX_BRIDGE_LOG", std::nullopt);
  ScopedEnv forced("ORVEX_BRIDGE_HAS_CONNECTED", std::nullopt);
  BridgeLibrary library(VariantLibraryPath("no_Connect"));
  ASSERT_TRUE(library.loaded()) << library.error();
  auto create = library.Get<bridge_api::CreateModelFn>("CreateModel");
  auto hasConnected = library.Get<bridge_api::HasConnectedFn>("HasConnected");
  ASSERT_NE(create, nullptr);
  ASSERT_NE(hasConnected, nullptr);
  EXPECT_EQ(create(), 1);
  EXPECT_FALSE(hasConnected());
}

}  // namespace
}  // namespace orvex_bridge_test
