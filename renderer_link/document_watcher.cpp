#include "renderer_link/document_watcher.h"

#include "material/material_key.h"
#include "renderer_link/link.h"

namespace renderer_link {

using model_export::ChangeSet;

void DocumentWatcher::OnCloseDocument(CRhinoDoc&) { m_link.Stop(); }

ChangeSet* DocumentWatcher::Recording(const CRhinoDoc& doc) {
  if (!m_link.IsLinked() || m_link.Document() != &doc) return nullptr;
  m_last_change = std::chrono::steady_clock::now();
  return &m_changes;
}

ChangeSet DocumentWatcher::TakeChanges() {
  ChangeSet taken = std::move(m_changes);
  m_changes = ChangeSet();
  return taken;
}

void DocumentWatcher::RecordObject(const CRhinoDoc& doc, const CRhinoObject& object) {
  // Lights go to the renderer with their own command.
  if (object.ObjectType() == ON::light_object) return;
  ChangeSet* changes = Recording(doc);
  if (!changes) return;
  changes->objects.insert(object.Id());
  if (object.ObjectType() == ON::instance_reference)
    if (const CRhinoInstanceDefinition* definition =
            static_cast<const CRhinoInstanceObject&>(object).InstanceDefinition())
      changes->definitions.insert(definition->Id());
}

void DocumentWatcher::OnAddObject(CRhinoDoc& doc, CRhinoObject& object) {
  RecordObject(doc, object);
}

void DocumentWatcher::OnDeleteObject(CRhinoDoc& doc, CRhinoObject& object) {
  RecordObject(doc, object);
}

void DocumentWatcher::OnUnDeleteObject(CRhinoDoc& doc, CRhinoObject& object) {
  RecordObject(doc, object);
}

void DocumentWatcher::OnModifyObjectAttributes(CRhinoDoc& doc, CRhinoObject& object,
                                               const CRhinoObjectAttributes&) {
  RecordObject(doc, object);
}

void DocumentWatcher::LayerTableEvent(CRhinoEventWatcher::layer_event event,
                                      const CRhinoLayerTable& layer_table, int layer_index,
                                      const ON_Layer*) {
  // Sorting the table or changing the current layer changes no object.
  if (event == layer_sorted || event == layer_current) return;
  if (layer_index < 0 || layer_index >= layer_table.LayerCount()) return;
  if (ChangeSet* changes = Recording(layer_table.Document()))
    changes->layers.insert(layer_table[layer_index].Id());
}

void DocumentWatcher::InstanceDefinitionTableEvent(CRhinoEventWatcher::idef_event event,
                                                   const CRhinoInstanceDefinitionTable& idef_table,
                                                   int idef_index, const ON_InstanceDefinition*) {
  if (event == idef_sorted) return;
  const CRhinoInstanceDefinition* definition = idef_table[idef_index];
  if (!definition) return;
  if (ChangeSet* changes = Recording(idef_table.Document()))
    changes->definitions.insert(definition->Id());
}

void DocumentWatcher::MaterialTableEvent(CRhinoEventWatcher::material_event event,
                                         const CRhinoMaterialTable& material_table,
                                         int material_index, const ON_Material* old_settings) {
  if (event == material_sorted || event == material_current) return;
  ChangeSet* changes = Recording(material_table.Document());
  if (!changes) return;
  changes->materials = true;
  // A renamed material has a new key, which the objects wearing it must name.
  if (!old_settings) return;
  const CRhinoMaterial& material = material_table[material_index];
  if (material::MaterialKey(material) != material::MaterialKey(*old_settings))
    changes->rekeyedMaterials.insert(old_settings->RdkMaterialInstanceId());
}

void DocumentWatcher::OnDocumentPropertiesChanged(CRhinoDoc& doc) {
  if (ChangeSet* changes = Recording(doc)) changes->documentProperties = true;
}

void DocumentWatcher::OnUnitsChangedWithScaling(CRhinoDoc& doc, double) {
  if (ChangeSet* changes = Recording(doc)) changes->documentProperties = true;
}

void DocumentWatcher::RecordMaterialChange(const CRhinoDoc& doc, const ON_UUID* rekeyed) {
  ChangeSet* changes = Recording(doc);
  if (!changes) return;
  changes->materials = true;
  if (rekeyed) changes->rekeyedMaterials.insert(*rekeyed);
}

void DocumentWatcher::RecordMaterialChange(const CRhRdkDocument& rdkDoc, const ON_UUID* rekeyed) {
  const CRhinoDoc* linked = m_link.Document();
  if (linked && &CRhRdkDocument::Get(*linked) == &rdkDoc) RecordMaterialChange(*linked, rekeyed);
}

}  // namespace renderer_link
