// The rendering development kit's contents: materials and the document's
// material list.
#pragma once

#include <memory>
#include <vector>

#include "on_material.h"
#include "on_uuid.h"

class CRhinoDoc;
class CRhinoObject;

class CRhRdkContent {
 public:
  virtual ~CRhRdkContent() = default;
  ON_wString InstanceName() const { return m_name; }
  ON_UUID InstanceId() const { return m_id; }
  ON_wString m_name;
  ON_UUID m_id;
};

class CRhRdkTexture {
 public:
  enum class TextureGeneration : int { Allow = 1, Disallow = 2, Skip = 3 };
};

class CRhRdkMaterial : public CRhRdkContent {
 public:
  // The material's plain form; the stand-in holds it ready.
  const ON_Material& SimulatedMaterial(
      CRhRdkTexture::TextureGeneration tg = CRhRdkTexture::TextureGeneration::Allow,
      int simulatedTextureSize = -1, const CRhinoObject* object = nullptr) const;
  ON_Material m_material;
};

class IRhRdkContentList {
 public:
  class Iterator {
   public:
    explicit Iterator(const std::vector<const CRhRdkContent*>& items) : m_items(items) {}
    const CRhRdkContent* Next();
    void DeleteThis() { delete this; }

   private:
    std::vector<const CRhRdkContent*> m_items;
    size_t m_index = 0;
  };
  // A new iterator over the list; the caller ends it with DeleteThis.
  Iterator* NewIterator() const { return new Iterator(m_items); }
  int Count() const { return static_cast<int>(m_items.size()); }
  std::vector<const CRhRdkContent*> m_items;
};

class CRhRdkDocument {
 public:
  static const CRhRdkDocument* Get(const CRhinoDoc& doc);
  const IRhRdkContentList& MaterialList() const { return m_list; }

  // Adds a content; listed contents appear in the material list.
  CRhRdkContent& StandinAdd(std::unique_ptr<CRhRdkContent> content, bool listed);
  const CRhRdkMaterial* StandinFindMaterial(const ON_UUID& id) const;

 private:
  std::vector<std::unique_ptr<CRhRdkContent>> m_contents;
  IRhRdkContentList m_list;
};
