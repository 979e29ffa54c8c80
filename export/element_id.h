// The text under which elements, materials and scenes are named to the bridge.
#pragma once

#include <string>

#include "RhinoSdk.h"
#include "plugin/sdk_helpers.h"

// The 36-character text of a UUID, as the host renders it. The same function
// renders every id, so an element has the same text when it is sent and when
// it is withdrawn.
inline std::wstring UuidToText(const ON_UUID& id) { return WideText(CRhRdkUuid(id).String(36)); }
