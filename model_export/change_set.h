// What changed in the linked document since the renderer last heard of it.
#pragma once

#include <set>

#include "RhinoSdk.h"

namespace model_export {

struct UuidOrder {
  bool operator()(const ON_UUID& a, const ON_UUID& b) const { return ON_UuidCompare(a, b) < 0; }
};
using UuidSet = std::set<ON_UUID, UuidOrder>;

struct ChangeSet {
  // Objects added, deleted, undeleted, replaced or with new attributes.
  UuidSet objects;
  // Layers changed: every object on them, or on a layer below them, counts as
  // changed.
  UuidSet layers;
  // Block definitions changed, or whose references changed.
  UuidSet definitions;
  // RDK ids of materials whose key changed: the objects that wear them are
  // sent again.
  UuidSet rekeyedMaterials;
  // A material was added, deleted or changed: the materials element again.
  bool materials = false;
  // The document's properties changed, its units perhaps: when the units did,
  // every element goes again.
  bool documentProperties = false;

  bool Empty() const {
    return objects.empty() && layers.empty() && definitions.empty() && !materials &&
           !documentProperties;
  }
};

}  // namespace model_export
