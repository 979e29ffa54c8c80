// The rendering development kit's contents: materials and the document's
// material list.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "opennurbs.h"
#include "rhino_material.h"
#include "windows_types.h"

class CRhinoDoc;
class CRhinoObject;

// The RDK's UUID holder. Default construction holds the nil UUID.
class CRhRdkUuid final {
 public:
  CRhRdkUuid() = default;
  CRhRdkUuid(const UUID& uuid) : m_id(uuid) {}
  operator UUID(void) const { return m_id; }
  bool IsNil(void) const { return ON_UuidIsNil(m_id); }
  static const int ciNumChars = 36;
  // The text form: 36 lower-case hexadecimal digits and hyphens (8-4-4-4-12),
  // cut to numChars characters when that is below 36.
  ON_wString String(int numChars = ciNumChars) const;

 private:
  UUID m_id = ON_nil_uuid;
};

// The context of a change to a content's parameters.
enum class RhRdkChangeContext : int {
  Unset = -1,
  UI = 0,
  Drop = 1,
  Program = 2,
  Ignore = 3,
  Tree = 4,
  Undo = 5,
  Reserved = 6,
  Serialize = 7,
  RealTimeUI = 8,
};

class CRhRdkContent {
 public:
  virtual ~CRhRdkContent() = default;
  virtual ON_wString InstanceName(void) const { return m_name; }
  virtual const UUID& InstanceId(void) const { return m_id; }
  // The document the content is associated with (attached or copied from
  // one), or null.
  virtual const CRhinoDoc* DocumentAssoc(void) const { return m_standin_doc; }
  ON_wString m_name;
  UUID m_id = ON_nil_uuid;
  const CRhinoDoc* m_standin_doc = nullptr;
};

class CRhRdkTexture {
 public:
  enum class TextureGeneration : int { Allow = 1, Disallow = 2, Skip = 3 };
};

class CRhRdkMaterial : public CRhRdkContent {
 public:
  // The material's plain form; the stand-in holds it ready.
  virtual const ON_Material& SimulatedMaterial(
      CRhRdkTexture::TextureGeneration tg = CRhRdkTexture::TextureGeneration::Allow,
      int iSimulatedTextureSize = -1, const CRhinoObject* pObject = nullptr) const;
  CRhinoMaterial m_material;
};

class IRhRdkContentList {
 public:
  class Iterator {
   public:
    virtual ~Iterator() {}
    virtual const CRhRdkContent* Next(void) = 0;
  };
  virtual ~IRhRdkContentList() = default;
  // A new iterator over the list; the caller deletes it.
  virtual Iterator* NewIterator(void) const;
  virtual int Count(void) const { return static_cast<int>(m_items.size()); }
  std::vector<const CRhRdkContent*> m_items;
};

class CRhRdkDocument {
 public:
  CRhRdkDocument() = default;
  CRhRdkDocument(const CRhRdkDocument&) = delete;
  CRhRdkDocument& operator=(const CRhRdkDocument&) = delete;
  static const CRhRdkDocument& Get(const CRhinoDoc& doc);
  virtual ~CRhRdkDocument() = default;
  virtual const IRhRdkContentList& MaterialList(void) const { return m_list; }

  // --- Stand-in side ---
  // Adds a content, associated with the document; listed contents appear in
  // the material list.
  CRhRdkContent& StandinAdd(std::unique_ptr<CRhRdkContent> content, bool listed);
  // Takes a content out of the document (and its list): the caller holds it
  // from then on, as an undo record would; null when it is not here.
  std::unique_ptr<CRhRdkContent> StandinDetach(const CRhRdkContent& content);
  // Whether the content is in the material list.
  bool StandinListed(const CRhRdkContent& content) const;
  const CRhinoDoc* m_standin_doc = nullptr;
  const CRhRdkMaterial* StandinFindMaterial(const ON_UUID& id) const;
  // The materials among the contents, in the order they were added.
  int StandinMaterialCount() const { return static_cast<int>(m_materials.size()); }
  // The material at index, or null past either end.
  const CRhRdkMaterial* StandinMaterialAt(int index) const;
  CRhRdkMaterial* StandinMaterialAt(int index);

 private:
  std::vector<std::unique_ptr<CRhRdkContent>> m_contents;
  std::vector<CRhRdkMaterial*> m_materials;
  IRhRdkContentList m_list;
};

// Watches the RDK's events: contents renamed, changed, attached to a
// document, detached, replaced, and undo. A watcher registers itself when it
// is made (unless told not to) and receives events while it is enabled.
class CRhRdkEventWatcher {
 public:
  CRhRdkEventWatcher(bool bAutoRegister = true);
  virtual ~CRhRdkEventWatcher();
  CRhRdkEventWatcher(const CRhRdkEventWatcher&) = delete;
  CRhRdkEventWatcher& operator=(const CRhRdkEventWatcher&) = delete;

  virtual void Enable(bool bEnable) const { m_enabled = bEnable; }
  virtual bool IsEnabled(void) const { return m_enabled; }

  // After undo or redo of document settings.
  virtual void OnUndoRedo(const CRhRdkDocument& /*rdkDoc*/, bool /*bRedo*/) {}
  virtual void OnUndoRedoBegin(CRhinoDoc& /*doc*/) {}
  virtual void OnUndoRedoEnded(CRhinoDoc& /*doc*/) {}

  // Called for all contents, document or not.
  virtual void OnContentRenaming(const CRhRdkContent& /*c*/) {}
  virtual void OnContentRenamed(const CRhRdkContent& /*c*/) {}

  enum class AttachReason : unsigned int { Attach, Change, Undo, Open, Edit };
  virtual void OnContentAttached(const CRhRdkDocument& /*rdkDoc*/, const CRhRdkContent& /*c*/,
                                 AttachReason /*r*/) {}

  enum class DetachReason : unsigned int { Detach, Change, Undo, Delete, Edit };
  virtual void OnContentDetaching(const CRhRdkDocument& /*rdkDoc*/, const CRhRdkContent& /*c*/,
                                  DetachReason /*r*/) {}
  virtual void OnContentDetached(const CRhRdkDocument& /*rdkDoc*/, const CRhRdkContent& /*c*/,
                                 DetachReason /*r*/) {}

  // A replacement: the old content detached and deleted, the new one attached.
  virtual void OnContentReplacing(const CRhRdkDocument& /*rdkDoc*/,
                                  const CRhRdkContent& /*oldContent*/) {}
  virtual void OnContentReplaced(const CRhRdkDocument& /*rdkDoc*/,
                                 const CRhRdkContent& /*newContent*/) {}

  // Called for all content changes, document or not. `old` is a temporary
  // copy with an instance id of its own.
  virtual void OnContentChanged(const CRhRdkContent& /*c*/, const CRhRdkContent& /*old*/,
                                RhRdkChangeContext /*cc*/) {}

 private:
  mutable bool m_enabled = true;
  bool m_registered = false;
};

namespace rhino_standin {
// Calls raise on every registered, enabled RDK watcher, in the order they
// registered.
void RaiseRdkEvent(const std::function<void(CRhRdkEventWatcher&)>& raise);
}  // namespace rhino_standin
