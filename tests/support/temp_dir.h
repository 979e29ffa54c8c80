// TempDir: a fresh folder under the system's temporary folder, removed with its content.
#pragma once

#include <filesystem>
#include <string>

namespace test_support {

// Made empty at construction (named `prefix` and six random characters),
// removed with everything in it at destruction.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "orvex-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace test_support
