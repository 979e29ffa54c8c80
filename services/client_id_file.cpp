#include "services/client_id_file.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "platform/platform.h"

namespace services {
namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

std::string_view Trimmed(std::string_view line) {
  const size_t first = line.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const size_t last = line.find_last_not_of(kWhiteSpace);
  return line.substr(first, last - first + 1);
}

}  // namespace

std::wstring ClientIdFilePath(const std::optional<std::wstring>& roamingFolder,
                              int hostMajorVersion, wchar_t separator) {
  if (!roamingFolder) return kClientIdFileName;
  const std::wstring s(1, separator);
  return *roamingFolder + s + L"McNeel" + s + L"Rhinoceros" + s +
         std::to_wstring(hostMajorVersion) + L".0" + s + L"Plug-ins" + s +
         L"OrvexConv (7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53)" + s + kClientIdFileName;
}

std::optional<std::string> ReadClientId(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return std::nullopt;
  std::optional<std::string> clientId;
  std::string line;
  while (std::getline(file, line)) {
    const std::string_view id = Trimmed(line);
    if (!id.empty()) clientId = std::string(id);
  }
  return clientId;
}

bool WriteClientId(const std::string& path, const std::string& clientId) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(parent, ignored);
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file.is_open()) return false;
  file << clientId;
  file.close();
  return !file.fail();
}

std::string LoadOrCreateClientId(const std::wstring& path) {
  const std::string narrowPath = platform::WideToAnsi(path);
  if (std::optional<std::string> stored = ReadClientId(narrowPath)) return *stored;
  std::string fresh = platform::NewUuidText();
  WriteClientId(narrowPath, fresh);
  return fresh;
}

}  // namespace services
