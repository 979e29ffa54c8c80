#include "tests/standin_bridge/bridge_library.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace orvex_bridge_test {

std::string MainLibraryPath() { return ORVEX_TEST_BRIDGE_LIBRARY; }

std::string VariantLibraryPath(const std::string& variant) {
  return std::string(ORVEX_TEST_BRIDGE_VARIANTS_DIR) + "/" + variant + "/OrvexPlugin.so";
}

bool IsLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* old = getenv(name_.c_str())) old_ = old;
  if (value) {
    setenv(name_.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

ScopedEnv::~ScopedEnv() {
  if (old_) {
    setenv(name_.c_str(), old_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvex-bridge-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

BridgeLibrary::BridgeLibrary(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = dlerror();
}

BridgeLibrary::~BridgeLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* BridgeLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return dlsym(handle_, name);
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<nlohmann::ordered_json> ReadJsonLines(const std::filesystem::path& file) {
  std::vector<nlohmann::ordered_json> objects;
  for (const std::string& line : ReadLines(file)) {
    objects.push_back(nlohmann::ordered_json::parse(line));
  }
  return objects;
}

std::vector<std::string> Keys(const nlohmann::ordered_json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

void Touch(const std::filesystem::path& file) { std::ofstream(file, std::ios::binary).put('x'); }

}  // namespace orvex_bridge_test
