#include "host_command_arguments.h"

#include <cmath>
#include <cstdlib>

#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace host {

std::optional<double> ParseNumber(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> ParseByte(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 255) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<ON_wString> DocumentText(const std::string& utf8) {
  const auto wide = platform::Utf8ToWide(utf8);
  if (!wide) return std::nullopt;
  return OnText(*wide);
}

}  // namespace host
