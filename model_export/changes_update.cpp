// The incremental update: only what changed goes to the renderer's model.
#include <map>
#include <vector>

#include "model_export/change_set.h"
#include "model_export/model_exporter.h"
#include "model_export/object_filters.h"

namespace model_export {
namespace {

// The changed layers and every layer below one of them: turning a parent
// layer off hides its sublayers' objects, whether or not the host reports a
// change of each sublayer too.
UuidSet LayersReached(const CRhinoDoc& doc, const UuidSet& changed) {
  if (changed.empty()) return changed;
  const CRhinoLayerTable& table = doc.m_layer_table;
  std::map<ON_UUID, ON_UUID, UuidOrder> parentOf;
  for (int i = 0; i < table.LayerCount(); ++i) parentOf[table[i].Id()] = table[i].ParentLayerId();
  // Each layer's answer once: a changed layer, or one below a layer reached.
  enum class Reach { kUnknown, kVisiting, kNo, kYes };
  std::map<ON_UUID, Reach, UuidOrder> reach;
  UuidSet reached = changed;
  for (const auto& entry : parentOf) {
    // Up the tree to a layer whose answer is known, the top or a loop (a
    // tree read from a damaged file may have one), then the answer down.
    std::vector<ON_UUID> path;
    ON_UUID layer = entry.first;
    Reach answer = Reach::kNo;
    for (;;) {
      if (changed.count(layer) > 0) {
        answer = Reach::kYes;
        break;
      }
      Reach& known = reach[layer];
      if (known == Reach::kYes || known == Reach::kNo) {
        answer = known;
        break;
      }
      if (known == Reach::kVisiting) break;  // a loop: nothing above reaches it
      known = Reach::kVisiting;
      path.push_back(layer);
      const auto parent = parentOf.find(layer);
      if (parent == parentOf.end() || ON_UuidIsNil(parent->second)) break;
      layer = parent->second;
    }
    for (const ON_UUID& below : path) {
      reach[below] = answer;
      if (answer == Reach::kYes) reached.insert(below);
    }
  }
  return reached;
}

// Whether a layer or material change reaches this object.
bool Touched(const CRhinoObject& object, const UuidSet& layers, const ChangeSet& changes) {
  return layers.count(object.ObjectLayer().Id()) > 0 ||
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
  const UuidSet layers = LayersReached(doc, changes.layers);
  CRhinoObjectIterator all(doc, kAllStates, kSendCategories);
  for (const CRhinoObject* object = all.First(); object; object = all.Next()) {
    if (!Touched(*object, layers, changes)) continue;
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
        if (Touched(*inside, layers, changes)) changes.definitions.insert(definition->Id());
  }
}

}  // namespace

bool ModelExporter::UnitsChangedIn(const CRhinoDoc& doc) const {
  return !common::RendererFrame(&doc).SameScaleAs(m_frame);
}

bool ModelExporter::HasWorkIn(const CRhinoDoc& doc, const ChangeSet& changes) const {
  if (!changes.objects.empty() || !changes.layers.empty() || !changes.definitions.empty() ||
      changes.materials)
    return true;
  // Other properties than the units reach nothing the renderer holds.
  return changes.documentProperties && UnitsChangedIn(doc);
}

bool ModelExporter::IsLargeUpdate(const CRhinoDoc& doc, const ChangeSet& changed,
                                  std::size_t largest) const {
  // New units, or a model a cancelled send left short, send every element
  // again.
  if (UnitsChangedIn(doc) || m_incomplete) return true;
  ChangeSet changes = changed;
  Widen(doc, changes);
  return changes.objects.size() + changes.definitions.size() > largest;
}

bool ModelExporter::SendChanges(const CRhinoDoc& doc, const ChangeSet& changed) {
  const common::RendererFrame last = m_frame;
  BeginSend(&doc);
  if (!CheckModelToUpdate()) return false;
  if (!m_bridge.HasConnected()) return false;
  // New units change every length the model holds, and a cancelled send left
  // the model short: everything goes again.
  if (!m_frame.SameScaleAs(last) || m_incomplete) {
    SendEverythingAgain(&doc);
    FinishSend();
    return true;
  }
  ChangeSet changes = changed;
  Widen(doc, changes);
  if (changes.materials) SendMaterialsElement(&doc);

  // An object no longer shown is withdrawn; a shown one is sent again under
  // its id, unless it is a block instance.
  ON_SimpleArray<const CRhinoObject*> shown;
  for (const ON_UUID& id : changes.objects) {
    if (CancelRequested()) break;
    // The living object with the id: after an edit replaced it, the new one.
    const CRhinoObject* object = CRhinoObject::FromId(doc.RuntimeSerialNumber(), id);
    if (object && !IsSentAsObject(*object)) continue;
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
    if (CancelRequested()) break;
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
