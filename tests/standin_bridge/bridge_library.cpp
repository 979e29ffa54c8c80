#include "tests/standin_bridge/bridge_library.h"

#include <dlfcn.h>

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

}  // namespace orvex_bridge_test
