// Helpers for the bridge library tests: loading a built bridge with dlopen, environment values
// that are put back afterwards, temporary folders and reading the call log.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace orvex_bridge_test {

// The bridge library in the plug-in folder, and a test variant of it by folder name
// (no_Connect, no_exports, ...).
std::string MainLibraryPath();
std::string VariantLibraryPath(const std::string& variant);

// Whether the library at `path` is loaded in this process now.
bool IsLoaded(const std::string& path);

// Sets (or, with nullopt, removes) an environment variable and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A new empty folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

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

// The lines of a text file (none when it does not exist), and each line parsed as JSON with its
// members kept in file order.
std::vector<std::string> ReadLines(const std::filesystem::path& file);
std::vector<nlohmann::ordered_json> ReadJsonLines(const std::filesystem::path& file);

// The member names of a JSON object, in order.
std::vector<std::string> Keys(const nlohmann::ordered_json& object);

// Creates a small regular file.
void Touch(const std::filesystem::path& file);

}  // namespace orvex_bridge_test
