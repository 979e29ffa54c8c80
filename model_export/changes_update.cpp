// The incremental update: only what changed goes to the renderer's model.
#include <vector>

#include "model_export/change_set.h"
#include "model_export/model_exporter.h"
#include "model_export/object_filters.h"

namespace model_export {
namespace {

// For each layer of the table, whether a layer change reaches it: it changed
// or a layer it is in did. Rhino may tell only of the parent whose change
// shows or hides its sublayers.
std::vector<bool> ChangedLayers(const CRhinoLayerTable& table, const UuidSet& changed) {
  const int count = table.LayerCount();
  enum : char { kUnknown, kNo, kYes };
  std::vector<char> reached(static_cast<size_t>(count), kUnknown);
  std::vector<int> walk;
  for (int i = 0; i < count; ++i) {
    // Up from the layer to one changed, one already known or the top.
    char verdict = kNo;
    for (const CRhinoLayer* at = &table[i]; at && static_cast<int>(walk.size()) < count;
         at = at->ParentLayer(false)) {
      const int index = at->Index();
      if (index < 0 || index >= count) break;
      if (reached[static_cast<size_t>(index)] != kUnknown) {
        verdict = reached[static_cast<size_t>(index)];
        break;
      }
      walk.push_back(index);
      if (changed.count(at->Id()) > 0) {
        verdict = kYes;
        break;
      }
    }
    for (const int index : walk) reached[static_cast<size_t>(index)] = verdict;
    walk.clear();
  }
  std::vector<bool> result(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    result[static_cast<size_t>(i)] = reached[static_cast<size_t>(i)] == kYes;
  return result;
}

// Whether a layer or material change reaches this object.
bool Touched(const CRhinoObject& object, const std::vector<bool>& changedLayers,
             const ChangeSet& changes) {
  const int layer = object.Attributes().m_layer_index;
  return (layer >= 0 && layer < static_cast<int>(changedLayers.size()) &&
          changedLayers[static_cast<size_t>(layer)]) ||
         changes.rekeyedMaterials.count(WornMaterial(object).RdkMaterialInstanceId()) > 0;
}

const CRhinoInstanceDefinition* FindDefinition(const CRhinoDoc& doc, const ON_UUID& id) {
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  for (int i = 0; i < table.InstanceDefinitionCount(); ++i)
    if (const CRhinoInstanceDefinition* definition = table[i])
      if (definition->Id() == id) return definition;
  return nullptr;
}

// The changed objects and definitions, with those that layer and material
// changes reach.
void Widen(const CRhinoDoc& doc, ChangeSet& changes) {
  if (changes.layers.empty() && changes.rekeyedMaterials.empty()) return;
  const std::vector<bool> changedLayers = ChangedLayers(doc.m_layer_table, changes.layers);
  CRhinoObjectIterator all(doc, kAllStates, kSendCategories);
  for (const CRhinoObject* object = all.First(); object; object = all.Next()) {
    if (!Touched(*object, changedLayers, changes)) continue;
    changes.objects.insert(object->Id());
    if (object->ObjectType() == ON::instance_reference)
      if (const CRhinoInstanceDefinition* definition =
              static_cast<const CRhinoInstanceObject*>(object)->InstanceDefinition())
        changes.definitions.insert(definition->Id());
  }
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  for (int i = 0; i < table.InstanceDefinitionCount(); ++i) {
    const CRhinoInstanceDefinition* definition = table[i];
    if (!definition) continue;
    for (int j = 0; j < definition->ObjectCount(); ++j)
      if (const CRhinoObject* inside = definition->Object(j))
        if (Touched(*inside, changedLayers, changes)) changes.definitions.insert(definition->Id());
  }
}

}  // namespace

bool ModelExporter::SendChanges(const CRhinoDoc& doc, const ChangeSet& changed) {
  const double lastScale = m_frame.Scale();
  BeginSend(&doc);
  if (!CheckModelToUpdate()) return false;
  if (!m_bridge.HasConnected()) return false;
  // New units change every length the model holds: everything goes again.
  if (!(m_frame.Scale() == lastScale)) {
    SendEverythingAgain(&doc);
    FinishSend();
    return true;
  }
  ChangeSet changes = changed;
  Widen(doc, changes);
  if (changes.materials) SendMaterialsElement(&doc);

  // An object no longer shown is withdrawn; a shown one is sent again under
  // its id. Block instances reach the renderer with their definitions.
  ON_SimpleArray<const CRhinoObject*> shown;
  for (const ON_UUID& id : changes.objects) {
    const CRhinoObject* object = doc.LookupObject(id);
    if (object && object->ObjectType() == ON::instance_reference) continue;
    if (object && !object->IsDeleted() && object->IsVisible()) {
      shown.Append(object);
      continue;
    }
    WithdrawElement(id);
  }
  SendObjectElements(doc, shown);

  // A definition deleted, hidden or no longer placed anywhere is withdrawn
  // with its placements.
  for (const ON_UUID& id : changes.definitions) {
    const CRhinoInstanceDefinition* definition = FindDefinition(doc, id);
    ON_SimpleArray<const CRhinoInstanceObject*> references;
    if (definition && !definition->IsDeleted() && !definition->IsHidden())
      definition->GetReferences(references, 0);
    if (references.Count() > 0)
      SendBlockDefinition(references, *definition);
    else
      WithdrawElement(id);
  }
  FinishSend();
  return true;
}

}  // namespace model_export
