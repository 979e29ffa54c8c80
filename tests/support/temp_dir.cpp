#include "tests/support/temp_dir.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace test_support {

TempDir::TempDir(const std::string& prefix) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  const std::filesystem::path parent = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix + "-";
    for (int i = 0; i < 6; ++i) name += kLetters[letter(random)];
    std::error_code error;
    // Made here and by nobody else: a name already taken is drawn again.
    if (std::filesystem::create_directory(parent / std::filesystem::u8path(name), error)) {
      path_ = parent / std::filesystem::u8path(name);
      return;
    }
    if (error) throw std::runtime_error("cannot make a folder in " + parent.string());
  }
  throw std::runtime_error("no free folder name for " + prefix + " in " + parent.string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace test_support
