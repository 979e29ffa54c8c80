#include "rhino_doc.h"

#include <atomic>
#include <map>

#include "standin_host.h"
#include "standin_state.h"

namespace {

const CRhinoMaterial& DefaultMaterial() {
  static const CRhinoMaterial material;
  return material;
}

}  // namespace

const CRhinoMaterial& CRhinoLayer::LayerMaterial() const {
  if (m_doc && ON_UuidIsNotNil(m_standin_material_id))
    if (const CRhinoMaterial* material = m_doc->StandinFindMaterial(m_standin_material_id))
      return *material;
  return DefaultMaterial();
}

const CRhinoLayer* CRhinoLayer::ParentLayer(bool bRootLevelParent) const {
  if (!m_doc) return nullptr;
  const CRhinoLayerTable& table = m_doc->m_layer_table;
  int parent = table.StandinParentIndex(Index());
  if (bRootLevelParent)
    for (int above = parent; above >= 0; above = table.StandinParentIndex(above)) parent = above;
  return parent >= 0 ? &table[parent] : nullptr;
}

const CRhinoLayer& CRhinoLayerTable::operator[](int layer_index) const {
  if (layer_index < 0 || layer_index >= LayerCount()) return m_default;
  return *m_layers[static_cast<size_t>(layer_index)];
}

int CRhinoLayerTable::AddLayer(const ON_Layer& layer, bool) {
  auto added = std::make_unique<CRhinoLayer>(layer);
  if (const auto* rhinoLayer = dynamic_cast<const CRhinoLayer*>(&layer))
    added->m_standin_material_id = rhinoLayer->m_standin_material_id;
  added->m_doc = m_doc;
  added->SetIndex(LayerCount());
  m_layers.push_back(std::move(added));
  m_tree_current = false;
  return LayerCount() - 1;
}

const CRhinoLayerTable::TreePlace* CRhinoLayerTable::Place(int layer_index) const {
  if (layer_index < 0 || layer_index >= LayerCount()) return nullptr;
  if (m_tree_current) return &m_tree[static_cast<size_t>(layer_index)];
  const auto less = [](const ON_UUID& a, const ON_UUID& b) { return ON_UuidCompare(a, b) < 0; };
  std::map<ON_UUID, int, decltype(less)> byId(less);
  for (int i = 0; i < LayerCount(); ++i) byId.emplace((*this)[i].Id(), i);  // the first of an id
  m_tree.assign(m_layers.size(), TreePlace());
  for (size_t i = 0; i < m_layers.size(); ++i) {
    const ON_UUID parent = m_layers[i]->ParentLayerId();
    const auto found = ON_UuidIsNil(parent) ? byId.end() : byId.find(parent);
    if (found != byId.end()) m_tree[i].parent = found->second;
  }
  // Walks up from each layer to one already placed, then places the layers
  // walked through from the top down. A walk that comes back to a layer of
  // its own makes the last layer it reached a top-level one.
  enum : char { kNew, kOnWalk, kPlaced };
  std::vector<char> state(m_layers.size(), kNew);
  std::vector<int> walk;
  for (int start = 0; start < LayerCount(); ++start) {
    int at = start;
    while (at >= 0 && state[static_cast<size_t>(at)] == kNew) {
      state[static_cast<size_t>(at)] = kOnWalk;
      walk.push_back(at);
      at = m_tree[static_cast<size_t>(at)].parent;
    }
    if (at >= 0 && state[static_cast<size_t>(at)] == kOnWalk)
      m_tree[static_cast<size_t>(walk.back())].parent = -1;
    for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
      TreePlace& place = m_tree[static_cast<size_t>(*it)];
      const CRhinoLayer& layer = *m_layers[static_cast<size_t>(*it)];
      const TreePlace* above =
          place.parent >= 0 ? &m_tree[static_cast<size_t>(place.parent)] : nullptr;
      place.shown = layer.IsVisible() && (!above || above->shown);
      place.locked = layer.IsLocked() || (above && above->locked);
      state[static_cast<size_t>(*it)] = kPlaced;
    }
    walk.clear();
  }
  m_tree_current = true;
  return &m_tree[static_cast<size_t>(layer_index)];
}

int CRhinoLayerTable::StandinParentIndex(int layer_index) const {
  const TreePlace* place = Place(layer_index);
  return place ? place->parent : -1;
}

bool CRhinoLayerTable::StandinLayerShown(int layer_index) const {
  const TreePlace* place = Place(layer_index);
  return place ? place->shown : m_default.IsVisible();
}

bool CRhinoLayerTable::StandinLayerLocked(int layer_index) const {
  const TreePlace* place = Place(layer_index);
  return place ? place->locked : m_default.IsLocked();
}

int CRhinoLayerTable::FindLayerFromId(const ON_UUID& id) const {
  for (int i = 0; i < LayerCount(); ++i)
    if (m_layers[static_cast<size_t>(i)]->Id() == id) return i;
  return -1;
}

int CRhinoLayerTable::StandinFindLayerFromName(const ON_wString& name) const {
  for (int i = 0; i < LayerCount(); ++i) {
    const CRhinoLayer& layer = *m_layers[static_cast<size_t>(i)];
    if (layer.Name() == name) return i;
  }
  return -1;
}

CRhinoLight& CRhinoLightTable::StandinAdd(std::unique_ptr<CRhinoLight> light) {
  m_lights.push_back(std::move(light));
  return *m_lights.back();
}

const CRhinoObject* CRhinoInstanceDefinition::Object(int index) const {
  if (index < 0 || index >= ObjectCount()) return nullptr;
  return m_objects[static_cast<size_t>(index)].get();
}

int CRhinoInstanceDefinition::GetReferences(
    ON_SimpleArray<const CRhinoInstanceObject*>& iref_object_list, int) const {
  if (!m_doc) return 0;
  const std::vector<const CRhinoInstanceObject*>* found = m_doc->StandinReferencesTo(Id());
  if (!found) return 0;
  int added = 0;
  for (const CRhinoInstanceObject* instance : *found) {
    if (instance->IsDeleted()) continue;
    iref_object_list.Append(instance);
    ++added;
  }
  return added;
}

CRhinoObject& CRhinoInstanceDefinition::StandinAddObject(std::unique_ptr<CRhinoObject> object) {
  m_objects.push_back(std::move(object));
  return *m_objects.back();
}

const CRhinoInstanceDefinition* CRhinoInstanceDefinitionTable::operator[](int idef_index) const {
  if (idef_index < 0 || idef_index >= InstanceDefinitionCount()) return nullptr;
  return m_definitions[static_cast<size_t>(idef_index)].get();
}

const CRhinoInstanceDefinition* CRhinoInstanceDefinitionTable::StandinFindById(
    const ON_UUID& id) const {
  for (const auto& definition : m_definitions)
    if (definition->Id() == id) return definition.get();
  return nullptr;
}

CRhinoInstanceDefinition& CRhinoInstanceDefinitionTable::StandinAdd(
    std::unique_ptr<CRhinoInstanceDefinition> definition) {
  m_definitions.push_back(std::move(definition));
  return *m_definitions.back();
}

CRhinoInstanceDefinition* CRhinoInstanceDefinitionTable::StandinDefinition(int idef_index) {
  if (idef_index < 0 || idef_index >= InstanceDefinitionCount()) return nullptr;
  return m_definitions[static_cast<size_t>(idef_index)].get();
}

int CRhinoInstanceDefinitionTable::StandinFindByName(const ON_wString& name) const {
  for (int i = 0; i < InstanceDefinitionCount(); ++i) {
    const CRhinoInstanceDefinition& definition = *m_definitions[static_cast<size_t>(i)];
    if (!definition.IsDeleted() && definition.Name() == name) return i;
  }
  return -1;
}

int CRhinoMaterialTable::MaterialCount() const {
  return m_doc ? m_doc->StandinRdk().StandinMaterialCount() : 0;
}

const CRhinoMaterial& CRhinoMaterialTable::operator[](int material_index) const {
  const CRhRdkMaterial* material =
      m_doc ? m_doc->StandinRdk().StandinMaterialAt(material_index) : nullptr;
  return material ? material->m_material : DefaultMaterial();
}

int CRhinoMaterialTable::StandinFindMaterialFromName(const ON_wString& name) const {
  for (int i = 0; i < MaterialCount(); ++i)
    if (m_doc->StandinRdk().StandinMaterialAt(i)->InstanceName() == name) return i;
  return -1;
}

const ON_3dmView* CRhinoDocProperties::NamedView(int index) const {
  if (index < 0 || index >= NamedViewCount()) return nullptr;
  return &m_named_views[static_cast<size_t>(index)];
}

namespace {
std::atomic<unsigned int> g_next_serial_number{1};

// Every living document by its runtime serial number, for the lookups that
// name a document by number.
struct LivingDocuments {
  std::mutex mutex;
  std::map<unsigned int, const CRhinoDoc*> bySerialNumber;
};
// Never destroyed: the application's document goes only at exit.
LivingDocuments& Living() {
  static auto* const living = new LivingDocuments;
  return *living;
}
}  // namespace

CRhinoDoc::CRhinoDoc() : m_serial_number(g_next_serial_number++) {
  m_layer_table.m_doc = this;
  m_instance_definition_table.m_doc = this;
  m_material_table.m_doc = this;
  m_rdk.m_standin_doc = this;
  std::lock_guard<std::mutex> lock(Living().mutex);
  Living().bySerialNumber[m_serial_number] = this;
}

CRhinoDoc::~CRhinoDoc() {
  std::lock_guard<std::mutex> lock(Living().mutex);
  Living().bySerialNumber.erase(m_serial_number);
}

const CRhinoObject* CRhinoObject::FromId(unsigned int rhino_doc_runtime_serial_number,
                                         ON_UUID rhino_object_id) {
  std::vector<const CRhinoDoc*> documents;
  {
    std::lock_guard<std::mutex> lock(Living().mutex);
    for (const auto& [number, doc] : Living().bySerialNumber)
      if (rhino_doc_runtime_serial_number == 0 || number == rhino_doc_runtime_serial_number)
        documents.push_back(doc);
  }
  for (const CRhinoDoc* doc : documents)
    if (const CRhinoObject* object = doc->StandinFindLiving(rhino_object_id)) return object;
  return nullptr;
}

namespace {

void ReportProgress(rhino_standin::ProgressMeterEvent::Stage stage, int pos, int lower = 0,
                    int upper = 0, const wchar_t* label = nullptr) {
  rhino_standin::ProgressMeterEvent event{};
  event.stage = stage;
  event.lower = lower;
  event.upper = upper;
  event.pos = pos;
  event.label = label ? label : L"";
  rhino_standin::EmitProgress(event);
}

}  // namespace

int CRhinoDoc::StatusBarProgressMeterStart(int nLower, int nUpper, const wchar_t* pszLabel, bool,
                                           bool) {
  std::lock_guard<std::mutex> lock(m_progress_mutex);
  if (m_progress_running) return -1;
  m_progress_running = true;
  m_progress_pos = nLower;
  ReportProgress(rhino_standin::ProgressMeterEvent::Stage::kStart, nLower, nLower, nUpper,
                 pszLabel);
  return 1;
}

int CRhinoDoc::StatusBarProgressMeterPos(int nPos, bool bAbsolute) {
  std::lock_guard<std::mutex> lock(m_progress_mutex);
  if (!m_progress_running) return 0;
  const int previous = m_progress_pos;
  m_progress_pos = bAbsolute ? nPos : previous + nPos;
  ReportProgress(rhino_standin::ProgressMeterEvent::Stage::kPos, m_progress_pos);
  return previous;
}

void CRhinoDoc::StatusBarProgressMeterEnd() {
  std::lock_guard<std::mutex> lock(m_progress_mutex);
  if (!m_progress_running) return;
  m_progress_running = false;
  ReportProgress(rhino_standin::ProgressMeterEvent::Stage::kEnd, m_progress_pos);
}

CRhinoObject& CRhinoDoc::StandinAddObject(std::unique_ptr<CRhinoObject> object,
                                          const CRhinoObject* after) {
  object->StandinSetDocument(this);
  if (object->ObjectType() == ON::instance_reference) {
    const auto* instance = static_cast<const CRhinoInstanceObject*>(object.get());
    m_references[instance->m_definition_id].push_back(instance);
  }
  auto at = m_objects.end();
  if (after)
    for (auto it = m_objects.begin(); it != m_objects.end(); ++it)
      if (it->get() == after) at = it + 1;
  return **m_objects.insert(at, std::move(object));
}

const std::vector<const CRhinoInstanceObject*>* CRhinoDoc::StandinReferencesTo(
    const ON_UUID& definition) const {
  const auto found = m_references.find(definition);
  return found == m_references.end() ? nullptr : &found->second;
}

// The obsolete lookup: the first object with the id in the order objects were
// added, deleted or not (an object replaced by an edit stays, deleted, before
// the one that replaced it). CRhinoObject::FromId finds only living objects.
const CRhinoObject* CRhinoDoc::LookupObject(const ON_UUID& id) const {
  return StandinLookupObject(id);
}

const CRhinoObject* CRhinoDoc::StandinFindLiving(const ON_UUID& id) const {
  std::lock_guard<std::mutex> lock(m_found_mutex);
  const auto found = m_found.find(id);
  if (found != m_found.end() && !found->second->IsDeleted() && found->second->Id() == id)
    return found->second;
  for (const auto& object : m_objects)
    if (!object->IsDeleted() && object->Id() == id) return m_found[id] = object.get();
  return nullptr;
}

CRhinoObject* CRhinoDoc::StandinLookupObject(const ON_UUID& id) const {
  for (const auto& object : m_objects)
    if (object->Id() == id) return object.get();
  return nullptr;
}

const CRhinoMaterial* CRhinoDoc::StandinFindMaterial(const ON_UUID& id) const {
  const CRhRdkMaterial* material = m_rdk.StandinFindMaterial(id);
  return material ? &material->m_material : nullptr;
}
