#include "renderer_link/material_watcher.h"

#include "renderer_link/document_watcher.h"

namespace renderer_link {
namespace {

bool IsMaterial(const CRhRdkContent& c) { return dynamic_cast<const CRhRdkMaterial*>(&c); }

}  // namespace

void MaterialWatcher::OnContentChanged(const CRhRdkContent& c, const CRhRdkContent& old,
                                       RhRdkChangeContext) {
  // A material's texture is a content too: any content of the document may
  // change how a material looks. Only a material's own name is in its key.
  if (!c.DocumentAssoc()) return;
  const bool rekeyed = IsMaterial(c) && c.InstanceName() != old.InstanceName();
  m_changes.RecordMaterialChange(*c.DocumentAssoc(), rekeyed ? &c.InstanceId() : nullptr);
}

void MaterialWatcher::OnContentRenamed(const CRhRdkContent& c) {
  if (!c.DocumentAssoc()) return;
  m_changes.RecordMaterialChange(*c.DocumentAssoc(), IsMaterial(c) ? &c.InstanceId() : nullptr);
}

void MaterialWatcher::OnContentAttached(const CRhRdkDocument& rdkDoc, const CRhRdkContent& c,
                                        AttachReason) {
  // Objects may name the material already (an undone deletion brings it back).
  m_changes.RecordMaterialChange(rdkDoc, IsMaterial(c) ? &c.InstanceId() : nullptr);
}

void MaterialWatcher::OnContentDetached(const CRhRdkDocument& rdkDoc, const CRhRdkContent& c,
                                        DetachReason) {
  // The objects that wore it wear their layer's material, or the default.
  m_changes.RecordMaterialChange(rdkDoc, IsMaterial(c) ? &c.InstanceId() : nullptr);
}

void MaterialWatcher::OnContentReplaced(const CRhRdkDocument& rdkDoc,
                                        const CRhRdkContent& newContent) {
  m_changes.RecordMaterialChange(rdkDoc,
                                 IsMaterial(newContent) ? &newContent.InstanceId() : nullptr);
}

void MaterialWatcher::OnUndoRedo(const CRhRdkDocument& rdkDoc, bool) {
  m_changes.RecordMaterialChange(rdkDoc, nullptr);
}

}  // namespace renderer_link
