#include <cstdlib>

#include "platform/platform.h"

namespace platform {

std::optional<std::wstring> RoamingAppDataFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return Utf8ToWide(config);
  const char* home = std::getenv("HOME");
  if (!home || !*home) return std::nullopt;
  auto wide = Utf8ToWide(home);
  if (!wide) return std::nullopt;
  return *wide + L"/.config";
}

std::wstring FileNamePart(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"/\\");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

}  // namespace platform
