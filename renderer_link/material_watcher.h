// Watches the RDK's contents for the linked document's materials: a colour or
// any other setting changed in the materials editor, a rename, a material
// added, deleted or replaced, and their undo. Rhino's render materials are
// RDK contents; the document's material table holds only their proxies, and
// nothing promises a table event for an edit in the editor, so these events
// are what live sync follows. Where the table event comes as well, both mark
// the same change, and one update sends it.
#pragma once

#include "RhinoSdk.h"

namespace renderer_link {

class DocumentWatcher;

class MaterialWatcher : public CRhRdkEventWatcher {
 public:
  // Registers itself; records into the document watcher's changes.
  explicit MaterialWatcher(DocumentWatcher& changes) : m_changes(changes) {}

  void OnContentChanged(const CRhRdkContent& c, const CRhRdkContent& old,
                        RhRdkChangeContext cc) override;
  void OnContentRenamed(const CRhRdkContent& c) override;
  void OnContentAttached(const CRhRdkDocument& rdkDoc, const CRhRdkContent& c,
                         AttachReason r) override;
  void OnContentDetached(const CRhRdkDocument& rdkDoc, const CRhRdkContent& c,
                         DetachReason r) override;
  void OnContentReplaced(const CRhRdkDocument& rdkDoc, const CRhRdkContent& newContent) override;
  void OnUndoRedo(const CRhRdkDocument& rdkDoc, bool bRedo) override;

 private:
  DocumentWatcher& m_changes;
};

}  // namespace renderer_link
