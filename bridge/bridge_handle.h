// One loaded instance of the bridge library. Every user of the bridge owns its
// own handle; destroying one never unloads the library.
#pragma once

#include "platform/platform.h"

struct BridgeHandle {
  platform::ModuleHandle module = nullptr;
};
