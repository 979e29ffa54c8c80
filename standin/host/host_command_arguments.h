// The arguments of the host's own commands, read from the words typed.
#pragma once

#include <optional>
#include <string>

#include "RhinoSdk.h"

namespace host {

// A finite number written whole, or nothing.
std::optional<double> ParseNumber(const std::string& text);

// A whole number from 0 to 255, or nothing.
std::optional<int> ParseByte(const std::string& text);

// A name typed on the command line as the document holds names; nothing when
// it is not UTF-8.
std::optional<ON_wString> DocumentText(const std::string& utf8);

}  // namespace host
