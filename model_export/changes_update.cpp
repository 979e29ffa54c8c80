// The incremental update: only what changed goes to the renderer's model.
#include <vector>

#include "model_export/change_set.h"
#include "model_export/model_exporter.h"
#include "model_export/object_filters.h"

namespace model_export {
namespace {

// Whether a layer or material change reaches this object.
bool Touched(const CRhinoObject& object, const ChangeSet& changes) {
  return changes.layers.count(object.ObjectLayer().Id()) > 0 ||
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
  CRhinoObjectIterator all(doc, kAllStates, kSendCategories);
  for (const CRhinoObject* object = all.First(); object; object = all.Next()) {
    if (!Touched(*object, changes)) continue;
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
        if (Touched(*inside, changes)) changes.definitions.insert(definition->Id());
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
