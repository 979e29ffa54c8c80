// The plug-in's one link, the only state the plug-in keeps.
#pragma once

#include "renderer_link/link.h"

namespace plugin {

// Created by the first caller (thread-safe), under the plug-in's id, and
// destroyed at module unload.
renderer_link::Link& TheLink();

}  // namespace plugin
