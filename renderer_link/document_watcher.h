// Watches the host's documents: ends the link when a document closes, and
// while linked records what changes in the linked document, for live sync.
#pragma once

#include <chrono>

#include "RhinoSdk.h"
#include "model_export/change_set.h"

namespace renderer_link {

class Link;

class DocumentWatcher : public CRhinoEventWatcher {
 public:
  explicit DocumentWatcher(Link& link) : m_link(link) {}
  ~DocumentWatcher() override = default;
  // Closing any document unlinks, whether or not it is the linked one.
  void OnCloseDocument(CRhinoDoc& doc) override;

  // Object events: the object's id (and a block instance's definition). A
  // replace (a geometry edit) needs none of its own: the delete and the add,
  // or undelete, that always follow it record the object.
  void OnAddObject(CRhinoDoc& doc, CRhinoObject& object) override;
  void OnDeleteObject(CRhinoDoc& doc, CRhinoObject& object) override;
  void OnUnDeleteObject(CRhinoDoc& doc, CRhinoObject& object) override;
  void OnModifyObjectAttributes(CRhinoDoc& doc, CRhinoObject& object,
                                const CRhinoObjectAttributes& old_attributes) override;
  // Table events: the layer, the definition, the materials.
  void LayerTableEvent(CRhinoEventWatcher::layer_event event, const CRhinoLayerTable& layer_table,
                       int layer_index, const ON_Layer* old_settings) override;
  void InstanceDefinitionTableEvent(CRhinoEventWatcher::idef_event event,
                                    const CRhinoInstanceDefinitionTable& idef_table, int idef_index,
                                    const ON_InstanceDefinition* old_settings) override;
  void MaterialTableEvent(CRhinoEventWatcher::material_event event,
                          const CRhinoMaterialTable& material_table, int material_index,
                          const ON_Material* old_settings) override;
  // The units, with or without the objects scaled: every element goes again
  // when they changed.
  void OnDocumentPropertiesChanged(CRhinoDoc& doc) override;
  void OnUnitsChangedWithScaling(CRhinoDoc& doc, double scale) override;

  // A material of the document changed (the materials element goes again);
  // with an RDK instance id, one whose key may have changed, so the objects
  // that wear it go again too. From the RDK's events (MaterialWatcher).
  void RecordMaterialChange(const CRhinoDoc& doc, const ON_UUID* rekeyed);
  void RecordMaterialChange(const CRhRdkDocument& rdkDoc, const ON_UUID* rekeyed);

  // The changes recorded since they were last taken, and when the last one
  // came. On the command thread only, as the events are.
  const model_export::ChangeSet& Changes() const { return m_changes; }
  std::chrono::steady_clock::time_point LastChange() const { return m_last_change; }
  model_export::ChangeSet TakeChanges();
  void ClearChanges() { m_changes = model_export::ChangeSet(); }

 private:
  // The change set, when the document is the linked one; else null.
  model_export::ChangeSet* Recording(const CRhinoDoc& doc);
  void RecordObject(const CRhinoDoc& doc, const CRhinoObject& object);

  Link& m_link;
  model_export::ChangeSet m_changes;
  std::chrono::steady_clock::time_point m_last_change;
};

}  // namespace renderer_link
