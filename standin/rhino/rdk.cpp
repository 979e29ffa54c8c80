#include "rdk.h"

#include <algorithm>
#include <utility>

#include "rhino_doc.h"

ON_wString CRhRdkUuid::String(int numChars) const {
  // 8-4-4-4-12 lower-case hexadecimal digits; Data1..Data3 as numbers, Data4
  // byte by byte. Written by hand: an id is formatted for every object sent.
  static const wchar_t kDigits[] = L"0123456789abcdef";
  wchar_t text[37];
  wchar_t* out = text;
  const auto put = [&out](unsigned int value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
      *out++ = kDigits[(value >> shift) & 15];
  };
  put(m_id.Data1, 8);
  *out++ = L'-';
  put(m_id.Data2, 4);
  *out++ = L'-';
  put(m_id.Data3, 4);
  *out++ = L'-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) *out++ = L'-';
    put(m_id.Data4[i], 2);
  }
  const int kept = numChars < 0 ? 0 : (numChars < ciNumChars ? numChars : ciNumChars);
  return ON_wString(text, kept);
}

const ON_Material& CRhRdkMaterial::SimulatedMaterial(CRhRdkTexture::TextureGeneration, int,
                                                     const CRhinoObject*) const {
  return m_material;
}

namespace {

class ListIterator : public IRhRdkContentList::Iterator {
 public:
  explicit ListIterator(const std::vector<const CRhRdkContent*>& items) : m_items(items) {}
  const CRhRdkContent* Next(void) override {
    return m_index < m_items.size() ? m_items[m_index++] : nullptr;
  }

 private:
  std::vector<const CRhRdkContent*> m_items;
  size_t m_index = 0;
};

}  // namespace

IRhRdkContentList::Iterator* IRhRdkContentList::NewIterator(void) const {
  return new ListIterator(m_items);
}

const CRhRdkDocument& CRhRdkDocument::Get(const CRhinoDoc& doc) { return doc.StandinRdk(); }

CRhRdkContent& CRhRdkDocument::StandinAdd(std::unique_ptr<CRhRdkContent> content, bool listed) {
  content->m_standin_doc = m_standin_doc;
  if (listed) m_list.m_items.push_back(content.get());
  if (auto* material = dynamic_cast<CRhRdkMaterial*>(content.get()))
    m_materials.push_back(material);
  m_contents.push_back(std::move(content));
  return *m_contents.back();
}

const CRhRdkMaterial* CRhRdkDocument::StandinFindMaterial(const ON_UUID& id) const {
  for (const CRhRdkMaterial* material : m_materials)
    if (material->InstanceId() == id) return material;
  return nullptr;
}

const CRhRdkMaterial* CRhRdkDocument::StandinMaterialAt(int index) const {
  if (index < 0 || index >= StandinMaterialCount()) return nullptr;
  return m_materials[static_cast<size_t>(index)];
}

CRhRdkMaterial* CRhRdkDocument::StandinMaterialAt(int index) {
  return const_cast<CRhRdkMaterial*>(std::as_const(*this).StandinMaterialAt(index));
}

std::unique_ptr<CRhRdkContent> CRhRdkDocument::StandinDetach(const CRhRdkContent& content) {
  const auto owned = std::find_if(m_contents.begin(), m_contents.end(),
                                  [&](const auto& c) { return c.get() == &content; });
  if (owned == m_contents.end()) return nullptr;
  std::unique_ptr<CRhRdkContent> detached = std::move(*owned);
  m_contents.erase(owned);
  auto& items = m_list.m_items;
  items.erase(std::remove(items.begin(), items.end(), &content), items.end());
  m_materials.erase(std::remove(m_materials.begin(), m_materials.end(), &content),
                    m_materials.end());
  return detached;
}

bool CRhRdkDocument::StandinListed(const CRhRdkContent& content) const {
  return std::find(m_list.m_items.begin(), m_list.m_items.end(), &content) != m_list.m_items.end();
}

namespace {

// Never destroyed: watchers of a plug-in unregister while the process exits.
std::vector<CRhRdkEventWatcher*>& RdkWatchers() {
  static auto* const watchers = new std::vector<CRhRdkEventWatcher*>;
  return *watchers;
}

}  // namespace

CRhRdkEventWatcher::CRhRdkEventWatcher(bool bAutoRegister) {
  if (!bAutoRegister) return;
  RdkWatchers().push_back(this);
  m_registered = true;
}

CRhRdkEventWatcher::~CRhRdkEventWatcher() {
  if (!m_registered) return;
  auto& watchers = RdkWatchers();
  watchers.erase(std::remove(watchers.begin(), watchers.end(), this), watchers.end());
}

namespace rhino_standin {

void RaiseRdkEvent(const std::function<void(CRhRdkEventWatcher&)>& raise) {
  const std::vector<CRhRdkEventWatcher*> watchers = RdkWatchers();
  for (CRhRdkEventWatcher* watcher : watchers)
    if (watcher->IsEnabled()) raise(*watcher);
}

}  // namespace rhino_standin
