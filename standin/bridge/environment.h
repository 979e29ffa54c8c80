// The renderer's settings from its environment.
#pragma once

#include <optional>
#include <string>

namespace orvex_bridge {

// The value of an environment variable as UTF-8 (read wide on Windows, so that
// a folder outside the ANSI code page survives); nullopt when it is not set.
std::optional<std::string> EnvironmentText(const char* name);

}  // namespace orvex_bridge
