#include <stdlib.h>

#include "platform/platform.h"

namespace platform {

std::optional<std::string> EnvironmentValue(const char* name) {
  const std::wstring wideName = AnsiToWide(name);
  const wchar_t* value = _wgetenv(wideName.c_str());
  if (value == nullptr) return std::nullopt;
  return WideToUtf8(value);
}

}  // namespace platform
