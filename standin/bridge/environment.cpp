#include "standin/bridge/environment.h"

#include <stdlib.h>

#include "standin/bridge/utf16.h"

namespace orvex_bridge {

std::optional<std::string> EnvironmentText(const char* name) {
#ifdef _WIN32
  std::wstring wideName;
  for (const char* c = name; *c; ++c) wideName.push_back(static_cast<wchar_t>(*c));
  const wchar_t* value = _wgetenv(wideName.c_str());
  if (value == nullptr) return std::nullopt;
  return Utf16ToUtf8(value);
#else
  const char* value = getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
#endif
}

}  // namespace orvex_bridge
