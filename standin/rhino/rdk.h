// The rendering development kit's contents: materials and the document's
// material list.
#pragma once

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

class CRhRdkContent {
 public:
  virtual ~CRhRdkContent() = default;
  virtual ON_wString InstanceName(void) const { return m_name; }
  virtual const UUID& InstanceId(void) const { return m_id; }
  ON_wString m_name;
  UUID m_id = ON_nil_uuid;
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
  static const CRhRdkDocument& Get(const CRhinoDoc& doc);
  virtual ~CRhRdkDocument() = default;
  virtual const IRhRdkContentList& MaterialList(void) const { return m_list; }

  // --- Stand-in side ---
  // Adds a content; listed contents appear in the material list.
  CRhRdkContent& StandinAdd(std::unique_ptr<CRhRdkContent> content, bool listed);
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
