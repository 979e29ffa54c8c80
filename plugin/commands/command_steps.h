// The ending every command that did its work shares.
#pragma once

#include "RhinoSdk.h"

namespace plugin {

// Prints "Success" and reports the usage event ("sync", action).
CRhinoCommand::result Succeeded(const char* action);

}  // namespace plugin
