#include "rhino_object.h"

#include <algorithm>

#include "rhino_doc.h"

namespace {

const CRhinoLayer& DefaultLayer() {
  static const CRhinoLayer layer;
  return layer;
}

}  // namespace

CRhinoObject::CRhinoObject() { ON_CreateUuid(m_attributes.m_uuid); }
CRhinoObject::~CRhinoObject() = default;

unsigned int CRhinoObject::IsActiveInDocument() const {
  return m_doc && !m_deleted && m_active ? m_doc->RuntimeSerialNumber() : 0;
}

namespace {

// Whether the object's layer and every layer above it are on.
bool OnShownLayer(const CRhinoObject& object, const CRhinoDoc* doc) {
  const int layer = object.Attributes().m_layer_index;
  return doc ? doc->m_layer_table.StandinLayerShown(layer) : DefaultLayer().IsVisible();
}

// Whether the object's layer or a layer above it is locked.
bool OnLockedLayer(const CRhinoObject& object, const CRhinoDoc* doc) {
  const int layer = object.Attributes().m_layer_index;
  return doc ? doc->m_layer_table.StandinLayerLocked(layer) : DefaultLayer().IsLocked();
}

}  // namespace

bool CRhinoObject::IsVisible() const {
  return !m_deleted && !IsHidden() && OnShownLayer(*this, m_doc);
}

const CRhinoLayer& CRhinoObject::ObjectLayer() const {
  if (!m_doc) return DefaultLayer();
  return m_doc->m_layer_table[m_attributes.m_layer_index];
}

const CRhinoMaterial& CRhinoObject::ObjectMaterial() const {
  if (m_doc && ON_UuidIsNotNil(m_material_id))
    if (const CRhinoMaterial* material = m_doc->StandinFindMaterial(m_material_id))
      return *material;
  return ObjectLayer().LayerMaterial();
}

void CRhinoObject::StandinRenderMeshes(std::vector<const ON_Mesh*>*) const {}

int CRhinoObject::GetSubObjects(ON_SimpleArray<CRhinoObject*>&, const CRhinoViewport*) const {
  return 0;
}

void CRhinoMeshObject::StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const {
  meshes->push_back(&m_mesh);
}

void CRhinoBrepObject::StandinSetFaces(std::vector<Face> faces) {
  m_faces = std::move(faces);
  m_joined = ON_Mesh();
  for (const Face& face : m_faces) {
    const int offset = m_joined.m_V.Count();
    const bool normals = face.mesh.HasVertexNormals();
    const bool uvs = face.mesh.HasTextureCoordinates();
    for (int i = 0; i < face.mesh.m_V.Count(); ++i) {
      m_joined.m_V.Append(face.mesh.m_V[i]);
      m_joined.m_N.Append(normals ? face.mesh.m_N[i] : ON_3fVector(0, 0, 1));
      m_joined.m_T.Append(uvs ? face.mesh.m_T[i] : ON_2fPoint(0, 0));
    }
    for (int i = 0; i < face.mesh.m_F.Count(); ++i) {
      ON_MeshFace f = face.mesh.m_F[i];
      for (int& v : f.vi) v += offset;
      m_joined.m_F.Append(f);
    }
  }
}

void CRhinoBrepObject::StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const {
  if (!m_faces.empty()) meshes->push_back(&m_joined);
}

bool CRhinoBrepObject::HasSubobjectMaterials() const {
  for (const Face& face : m_faces)
    if (ON_UuidIsNotNil(face.material_id)) return true;
  return false;
}

int CRhinoBrepObject::GetSubObjects(ON_SimpleArray<CRhinoObject*>& subObjects,
                                    const CRhinoViewport*) const {
  // A single face cannot be exploded any further.
  if (m_faces.size() < 2) return 0;
  for (const Face& face : m_faces) {
    auto* sub = new CRhinoBrepFaceObject();
    sub->StandinAttributes() = m_attributes;
    sub->StandinSetMaterial(ON_UuidIsNotNil(face.material_id) ? face.material_id : m_material_id);
    sub->StandinSetDocument(m_doc);
    sub->m_face_mesh = &face.mesh;
    subObjects.Append(sub);
  }
  return static_cast<int>(m_faces.size());
}

void CRhinoBrepFaceObject::StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const {
  if (m_face_mesh) meshes->push_back(m_face_mesh);
}

const CRhinoInstanceDefinition* CRhinoInstanceObject::InstanceDefinition() const {
  return m_doc ? m_doc->m_instance_definition_table.StandinFindById(m_definition_id) : nullptr;
}

namespace {

// Blocks nest no deeper than this.
constexpr size_t kDeepestNesting = 32;

// Appends the render meshes of an object inside a definition, placed by xform;
// each reference names the object itself, as the host reports it. `path`
// holds the definitions the object is inside: a reference to one of them, which
// would place a block inside itself without end, places nothing.
void AppendExpanded(const CRhinoObject& object, const ON_Xform& xform,
                    std::vector<const CRhinoInstanceDefinition*>& path,
                    ON_ClassArray<CRhinoObjRef>& out) {
  if (object.ObjectType() == ON::instance_reference) {
    const auto& instance = static_cast<const CRhinoInstanceObject&>(object);
    const CRhinoInstanceDefinition* definition = instance.InstanceDefinition();
    if (!definition || path.size() >= kDeepestNesting ||
        std::find(path.begin(), path.end(), definition) != path.end())
      return;
    const ON_Xform placed = xform * instance.InstanceXform();
    path.push_back(definition);
    for (int i = 0; i < definition->ObjectCount(); ++i)
      if (const CRhinoObject* inner = definition->Object(i))
        AppendExpanded(*inner, placed, path, out);
    path.pop_back();
    return;
  }
  std::vector<const ON_Mesh*> meshes;
  object.StandinRenderMeshes(&meshes);
  for (const ON_Mesh* mesh : meshes) {
    auto placed = std::make_shared<ON_Mesh>(*mesh);
    placed->Transform(xform);
    out.Append(CRhinoObjRef(&object, std::move(placed)));
  }
}

}  // namespace

int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& render_meshes, bool bOkToCreate,
                         bool bReturnAllObjects) {
  return RhinoGetRenderMeshes(objects, render_meshes, bOkToCreate, bReturnAllObjects, false);
}

int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& render_meshes, bool, bool bReturnAllObjects,
                         bool bSkipHiddenObjects) {
  const int before = render_meshes.Count();
  for (int i = 0; i < objects.Count(); ++i) {
    const CRhinoObject* object = objects[i];
    if (!object || (bSkipHiddenObjects && object->IsHidden())) continue;
    const int start = render_meshes.Count();
    if (object->ObjectType() == ON::instance_reference) {
      std::vector<const CRhinoInstanceDefinition*> path;
      AppendExpanded(*object, ON_Xform::IdentityTransformation, path, render_meshes);
    } else {
      std::vector<const ON_Mesh*> own;
      object->StandinRenderMeshes(&own);
      // References share the object's mesh without copying it.
      for (const ON_Mesh* mesh : own)
        render_meshes.Append(CRhinoObjRef(
            object, std::shared_ptr<const ON_Mesh>(std::shared_ptr<const ON_Mesh>(), mesh)));
    }
    if (bReturnAllObjects && render_meshes.Count() == start)
      render_meshes.Append(CRhinoObjRef(object, nullptr));
  }
  return render_meshes.Count() - before;
}

CRhinoObjectIterator::CRhinoObjectIterator(const CRhinoDoc& doc, object_state state,
                                           object_category category)
    : m_doc(doc), m_state(state), m_category(category) {}

CRhinoObjectIterator::~CRhinoObjectIterator() = default;

bool CRhinoObjectIterator::Accepts(const CRhinoObject& object) const {
  if (!m_lights && object.ObjectType() == ON::light_object) return false;
  unsigned int state = normal_objects;
  if (object.IsDeleted())
    state = deleted_objects;
  else if (object.IsHidden() || !OnShownLayer(object, object.Document()))
    state = hidden_objects;
  else if (object.IsLocked() || OnLockedLayer(object, object.Document()))
    state = locked_objects;
  const unsigned int category = object.IsReference() ? reference_objects : active_objects;
  return (m_state & state) != 0 && (m_category & category) != 0;
}

CRhinoObject* CRhinoObjectIterator::First() {
  m_index = 0;
  return Next();
}

CRhinoObject* CRhinoObjectIterator::Next() {
  while (m_index < m_doc.StandinObjectCount()) {
    CRhinoObject* object = m_doc.StandinObjectAt(m_index++);
    if (Accepts(*object)) return object;
  }
  return nullptr;
}
