// Helpers for the bridge library tests: loading a built bridge with dlopen and reading its call
// log with the members of each call in order.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/file_io.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace orvex_bridge_test {

// The shared test helpers, by the short names these tests use.
using test_support::ReadLines;
using test_support::ScopedEnv;
using test_support::TempDir;
using test_support::Touch;

// The bridge library in the plug-in folder, and a test variant of it by folder name
// (no_Connect, no_exports, ...).
std::string MainLibraryPath();
std::string VariantLibraryPath(const std::string& variant);

// Whether the library at `path` is loaded in this process now.
bool IsLoaded(const std::string& path);

class BridgeLibrary {
 public:
  explicit BridgeLibrary(const std::string& path);
  ~BridgeLibrary();
  BridgeLibrary(const BridgeLibrary&) = delete;
  BridgeLibrary& operator=(const BridgeLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const std::string& error() const { return error_; }
  void* handle() const { return handle_; }
  void* Symbol(const char* name) const;
  template <typename Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

// Each line of a text file parsed as JSON with its members kept in file order.
std::vector<nlohmann::ordered_json> ReadJsonLines(const std::filesystem::path& file);

// The member names of a JSON object, in order.
std::vector<std::string> Keys(const nlohmann::ordered_json& object);

}  // namespace orvex_bridge_test
