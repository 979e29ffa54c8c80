// The text under which elements, materials, lights, layers and scenes are
// named to the renderer.
#pragma once

#include <string>

#include "RhinoSdk.h"
#include "common/sdk_text.h"

namespace common {

// The 36-character text of a UUID, as the host renders it. The same function
// renders every id, so an element has the same text when it is sent and when
// it is withdrawn.
inline std::wstring UuidToText(const ON_UUID& id) { return WideText(CRhRdkUuid(id).String(36)); }

}  // namespace common
