// The material key: the name under which a material is registered with the
// renderer and by which instances wear it. It is the material's name, "_" and
// the first four characters of the 36-character text of its RDK instance id
// (a material Glass whose id text begins with 4027 has the key Glass_4027).
// The key is never escaped and nothing makes it unique.
#pragma once

#include "RhinoSdk.h"

namespace material {

// From a host material: its component name and its RDK material instance id.
ON_wString MaterialKey(const ON_Material& material);

// From an RDK material content: its instance name and its instance id.
ON_wString MaterialKey(const CRhRdkMaterial& material);

}  // namespace material
