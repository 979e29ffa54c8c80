// A test fixture that loads the bridge library afresh for each test, with its call log in a
// temporary folder, and checks that the library is unloaded again afterwards, so that every
// test starts with a new renderer, a new log and sequence numbers from 0.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bridge/bridge_api.h"
#include "tests/standin_bridge/bridge_library.h"

namespace orvex_bridge_test {

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(IsLoaded(MainLibraryPath())) << "an earlier test left the bridge loaded";
  }

  void TearDown() override {
    library_.reset();
    EXPECT_FALSE(IsLoaded(MainLibraryPath())) << "the bridge library stayed loaded";
  }

  // Loads the bridge with its call log on; `arrays` false sets ORVEX_BRIDGE_LOG_ARRAYS=0.
  void Load(bool arrays = true) {
    logEnv_.emplace("ORVEX_BRIDGE_LOG", (dir_.path() / "calls.jsonl").string());
    arraysEnv_.emplace("ORVEX_BRIDGE_LOG_ARRAYS",
                       arrays ? std::nullopt : std::optional<std::string>("0"));
    library_ = std::make_unique<BridgeLibrary>(MainLibraryPath());
    ASSERT_TRUE(library_->loaded()) << library_->error();
  }

  // The export `name`, typed; fails the test when it is missing.
  template <typename Fn>
  Fn Get(const char* name) {
    Fn fn = library_ ? library_->Get<Fn>(name) : nullptr;
    EXPECT_NE(fn, nullptr) << "missing export " << name;
    return fn;
  }

  std::vector<std::string> LogLines() const { return ReadLines(dir_.path() / "calls.jsonl"); }
  std::vector<nlohmann::ordered_json> LogObjects() const {
    return ReadJsonLines(dir_.path() / "calls.jsonl");
  }

  TempDir dir_;
  // Unset for the test, whatever the environment had; put back afterwards.
  ScopedEnv startCode_{"ORVEX_BRIDGE_START_CODE", std::nullopt};
  ScopedEnv connectCode_{"ORVEX_BRIDGE_CONNECT_CODE", std::nullopt};
  ScopedEnv hasConnected_{"ORVEX_BRIDGE_HAS_CONNECTED", std::nullopt};
  std::optional<ScopedEnv> logEnv_;
  std::optional<ScopedEnv> arraysEnv_;
  std::unique_ptr<BridgeLibrary> library_;
};

// The export of that name with its bridge_api signature.
#define BRIDGE_FN(name) Get<bridge_api::name##Fn>(#name)

}  // namespace orvex_bridge_test
