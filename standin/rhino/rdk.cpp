#include "rdk.h"

#include "rhino_doc.h"

const ON_Material& CRhRdkMaterial::SimulatedMaterial(CRhRdkTexture::TextureGeneration, int,
                                                     const CRhinoObject*) const {
  return m_material;
}

const CRhRdkContent* IRhRdkContentList::Iterator::Next() {
  return m_index < m_items.size() ? m_items[m_index++] : nullptr;
}

const CRhRdkDocument* CRhRdkDocument::Get(const CRhinoDoc& doc) { return &doc.StandinRdk(); }

CRhRdkContent& CRhRdkDocument::StandinAdd(std::unique_ptr<CRhRdkContent> content, bool listed) {
  if (listed) m_list.m_items.push_back(content.get());
  m_contents.push_back(std::move(content));
  return *m_contents.back();
}

const CRhRdkMaterial* CRhRdkDocument::StandinFindMaterial(const ON_UUID& id) const {
  for (const auto& content : m_contents)
    if (content->InstanceId() == id)
      if (auto* material = dynamic_cast<const CRhRdkMaterial*>(content.get())) return material;
  return nullptr;
}
