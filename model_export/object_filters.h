// The objects a send reads from the document.
#pragma once

#include "RhinoSdk.h"

namespace model_export {

// State filter of the sends: normal and locked objects (hidden and deleted
// ones are left out); category: active and reference objects.
inline constexpr CRhinoObjectIterator::object_state kSendStates =
    CRhinoObjectIterator::normal_or_locked_objects;
inline constexpr CRhinoObjectIterator::object_state kAllStates = CRhinoObjectIterator::all_objects;
inline constexpr CRhinoObjectIterator::object_category kSendCategories =
    CRhinoObjectIterator::active_and_reference_objects;

// Whether a shown object is sent as an element of its own: block instances
// reach the renderer with their definitions.
inline bool IsSentAsObject(const CRhinoObject& object) {
  return object.ObjectType() != ON::instance_reference;
}

// The material an object is sent wearing: its own when that has a name, else
// its layer's.
inline const ON_Material& WornMaterial(const CRhinoObject& object) {
  const ON_Material& own = object.ObjectMaterial();
  return own.Name().IsEmpty() ? object.ObjectLayer().LayerMaterial() : own;
}

}  // namespace model_export
