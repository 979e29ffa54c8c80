#include "assimp_importer.h"

#include <assimp/config.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "import_material.h"
#include "import_mesh.h"
#include "import_view.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace fs = std::filesystem;

namespace {

std::wstring Wide(const std::string& utf8) {
  auto wide = platform::Utf8ToWide(utf8);
  return wide ? *wide : std::wstring();
}

std::wstring Wide(const aiString& text) { return Wide(std::string(text.C_Str())); }

// The inverse of a transform made of a turn (or mirror) and a uniform scale,
// as toDocument is: its transpose over the squared scale.
ON_Xform InverseOfSimilarity(const ON_Xform& x) {
  const auto& m = x.m_xform;
  const double scale2 = m[0][0] * m[0][0] + m[1][0] * m[1][0] + m[2][0] * m[2][0];
  ON_Xform inverse(1.0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) inverse.m_xform[i][j] = m[j][i] / scale2;
  for (int i = 0; i < 3; ++i) {
    double t = 0.0;
    for (int j = 0; j < 3; ++j) t -= inverse.m_xform[i][j] * m[j][3];
    inverse.m_xform[i][3] = t;
  }
  return inverse;
}

struct Placement {
  const aiNode* node;
  unsigned mesh;
  ON_Xform world;  // node to scene coordinates
};

class SceneBuilder {
 public:
  SceneBuilder(const aiScene& scene, const SceneImportOptions& options)
      : m_scene(scene),
        m_options(options),
        m_to_document(options.frame.toDocument),
        m_textures(scene, options.modelFolder, options.embeddedFolder) {}

  DocumentReadResult Build();

 private:
  void WalkNodes();
  const aiMesh* UsableMesh(unsigned index) const;
  ON_UUID MaterialOf(const aiMesh& mesh);
  void AddMaterials();
  void AddDefinitions();
  void AddObjects();
  void AddLights();
  void AddViews(DocumentReadResult& result);
  ON_Xform NodeWorld(const aiString& name) const;
  void Grow(const ON_BoundingBox& box);

  const aiScene& m_scene;
  const SceneImportOptions& m_options;
  const ON_Xform m_to_document;
  TextureFiles m_textures;
  std::unique_ptr<CRhinoDoc> m_doc;
  std::vector<Placement> m_placements;
  std::vector<unsigned> m_uses;                    // placements per mesh
  std::map<const aiNode*, ON_Xform> m_node_world;  // every node's world transform
  std::map<unsigned, ON_UUID> m_materials;         // assimp material -> RDK material id
  std::map<unsigned, const CRhinoInstanceDefinition*> m_definitions;  // shared mesh -> definition
  std::map<unsigned, ON_BoundingBox> m_definition_boxes;              // in definition coordinates
  ON_BoundingBox m_extents;
};

const aiMesh* SceneBuilder::UsableMesh(unsigned index) const {
  if (index >= m_scene.mNumMeshes || !m_scene.mMeshes || !m_scene.mMeshes[index]) return nullptr;
  const aiMesh* mesh = m_scene.mMeshes[index];
  return HasSurfaceFaces(*mesh) ? mesh : nullptr;
}

void SceneBuilder::WalkNodes() {
  m_uses.assign(m_scene.mNumMeshes, 0);
  // Depth first, children in order, without recursion: node trees can be deep.
  std::vector<std::pair<const aiNode*, ON_Xform>> stack;
  if (m_scene.mRootNode) stack.emplace_back(m_scene.mRootNode, ON_Xform::IdentityTransformation);
  std::set<const aiNode*> seen;
  while (!stack.empty()) {
    auto [node, parent] = stack.back();
    stack.pop_back();
    if (!seen.insert(node).second) continue;
    const ON_Xform world = parent * XformFromAssimp(node->mTransformation);
    m_node_world[node] = world;
    for (unsigned i = 0; i < node->mNumMeshes && node->mMeshes; ++i) {
      const unsigned mesh = node->mMeshes[i];
      if (!UsableMesh(mesh)) continue;
      m_placements.push_back({node, mesh, world});
      ++m_uses[mesh];
    }
    for (unsigned i = node->mNumChildren; i-- > 0;)
      if (node->mChildren && node->mChildren[i]) stack.emplace_back(node->mChildren[i], world);
  }
}

void SceneBuilder::AddMaterials() {
  std::set<unsigned> used;
  for (const Placement& p : m_placements) used.insert(m_scene.mMeshes[p.mesh]->mMaterialIndex);
  for (unsigned index : used) {
    if (index >= m_scene.mNumMaterials || !m_scene.mMaterials[index]) continue;
    auto material = MaterialFromAssimp(*m_scene.mMaterials[index], index, m_textures);
    m_materials[index] = material->m_id;
    m_doc->StandinRdk().StandinAdd(std::move(material), true);
  }
}

ON_UUID SceneBuilder::MaterialOf(const aiMesh& mesh) {
  auto it = m_materials.find(mesh.mMaterialIndex);
  return it == m_materials.end() ? ON_nil_uuid : it->second;
}

void SceneBuilder::Grow(const ON_BoundingBox& box) {
  if (!box.IsValid()) return;
  m_extents.Set(box.m_min, m_extents.IsValid());
  m_extents.Set(box.m_max, true);
}

void SceneBuilder::AddDefinitions() {
  for (unsigned index = 0; index < m_scene.mNumMeshes; ++index) {
    if (m_uses[index] < 2) continue;
    const aiMesh& mesh = *m_scene.mMeshes[index];
    auto definition = std::make_unique<CRhinoInstanceDefinition>();
    definition->SetId(host::NewUuid());
    std::wstring name = Wide(mesh.mName);
    if (name.empty()) name = L"Block " + std::to_wstring(index);
    definition->SetName(host::OnText(name));
    definition->m_doc = m_doc.get();

    // The definition holds the mesh in document axes and units; each
    // reference carries its node's placement in the same frame.
    auto object = std::make_unique<CRhinoMeshObject>();
    object->m_mesh = MeshFromAssimp(mesh, m_to_document);
    m_definition_boxes[index] = object->m_mesh.BoundingBox();
    ON_3dmObjectAttributes& a = object->StandinAttributes();
    a.m_uuid = host::NewUuid();
    a.m_name = host::OnText(name);
    object->StandinSetMaterial(MaterialOf(mesh));
    object->StandinSetDocument(m_doc.get());
    object->StandinSetActive(false);  // definition geometry is not in the document itself
    definition->StandinAddObject(std::move(object));
    m_definitions[index] = &m_doc->m_instance_definition_table.StandinAdd(std::move(definition));
  }
}

void SceneBuilder::AddObjects() {
  const ON_Xform fromDocument = InverseOfSimilarity(m_to_document);
  for (const Placement& p : m_placements) {
    const aiMesh& mesh = *m_scene.mMeshes[p.mesh];
    std::unique_ptr<CRhinoObject> object;
    if (m_uses[p.mesh] == 1) {
      auto meshObject = std::make_unique<CRhinoMeshObject>();
      meshObject->m_mesh = MeshFromAssimp(mesh, m_to_document * p.world);
      Grow(meshObject->m_mesh.BoundingBox());
      meshObject->StandinSetMaterial(MaterialOf(mesh));
      object = std::move(meshObject);
    } else {
      const CRhinoInstanceDefinition* definition = m_definitions.at(p.mesh);
      auto reference = std::make_unique<CRhinoInstanceObject>();
      reference->m_definition_id = definition->Id();
      reference->m_xform = m_to_document * p.world * fromDocument;
      const ON_BoundingBox& box = m_definition_boxes[p.mesh];
      if (box.IsValid())
        for (int corner = 0; corner < 8; ++corner) {
          const ON_3dPoint q((corner & 1) ? box.m_max.x : box.m_min.x,
                             (corner & 2) ? box.m_max.y : box.m_min.y,
                             (corner & 4) ? box.m_max.z : box.m_min.z);
          Grow(ON_BoundingBox(TransformPoint(reference->m_xform, q),
                              TransformPoint(reference->m_xform, q)));
        }
      object = std::move(reference);
    }
    ON_3dmObjectAttributes& a = object->StandinAttributes();
    a.m_uuid = host::NewUuid();
    a.m_name = host::OnText(Wide(p.node->mName));
    m_doc->StandinAddObject(std::move(object));
  }
}

ON_Xform SceneBuilder::NodeWorld(const aiString& name) const {
  const aiNode* node = m_scene.mRootNode ? m_scene.mRootNode->FindNode(name) : nullptr;
  auto it = node ? m_node_world.find(node) : m_node_world.end();
  return it == m_node_world.end() ? ON_Xform::IdentityTransformation : it->second;
}

void SceneBuilder::AddLights() {
  const bool atNode = m_options.frame.nodePlacesCameras;
  for (unsigned i = 0; i < m_scene.mNumLights; ++i) {
    const aiLight* source = m_scene.mLights[i];
    if (!source) continue;
    const ON_Xform place = m_to_document * NodeWorld(source->mName);
    const ON_3dPoint position =
        atNode ? ON_3dPoint::Origin
               : ON_3dPoint(source->mPosition.x, source->mPosition.y, source->mPosition.z);
    const ON_3dVector localDirection =
        atNode ? ON_3dVector(0, 0, -1)
               : Unit(ON_3dVector(source->mDirection.x, source->mDirection.y, source->mDirection.z),
                      ON_3dVector(0, 0, -1));
    const ON_3dVector direction = Unit(TransformVector(place, localDirection), -ON_3dVector::ZAxis);

    auto light = std::make_unique<CRhinoLight>();
    ON_Light& on = light->m_light;
    on.SetLocation(TransformPoint(place, position));
    on.SetDirection(direction);
    using S = ON::light_style;
    switch (source->mType) {
      case aiLightSource_POINT: on.SetStyle(S::world_point_light); break;
      case aiLightSource_SPOT: on.SetStyle(S::world_spot_light); break;
      case aiLightSource_DIRECTIONAL: on.SetStyle(S::world_directional_light); break;
      case aiLightSource_AREA: {
        // The rectangle is centred on the light's position, its height along
        // the light's up vector and its width across it; the document's
        // rectangular light starts at a corner.
        on.SetStyle(S::world_rectangular_light);
        ON_3dVector up = atNode ? ON_3dVector(0, 1, 0)
                                : ON_3dVector(source->mUp.x, source->mUp.y, source->mUp.z);
        up = UpAcross(up, localDirection);
        if (!(std::fabs(up * localDirection) < 0.5) || up.Length() == 0.0)
          up = Perpendicular(localDirection);
        const ON_3dVector right = ON_CrossProduct(localDirection, up);
        const ON_3dVector length = TransformVector(place, up * source->mSize.y);
        const ON_3dVector width = TransformVector(place, right * source->mSize.x);
        on.SetLength(length);
        on.SetWidth(width);
        on.SetLocation(on.Location() - (length + width) * 0.5);
        break;
      }
      default: continue;  // ambient and undefined lights have no document form
    }
    const ON_UUID id = host::NewUuid();
    on.m_light_id = id;
    on.SetLightName(Wide(source->mName).c_str());
    on.Enable(true);
    ON_3dmObjectAttributes& a = light->StandinAttributes();
    a.m_uuid = id;
    a.m_name = on.LightName();
    light->StandinSetDocument(m_doc.get());
    m_doc->m_light_table.StandinAdd(std::move(light));
  }
}

void SceneBuilder::AddViews(DocumentReadResult& result) {
  for (unsigned i = 0; i < m_scene.mNumCameras; ++i) {
    const aiCamera* camera = m_scene.mCameras[i];
    if (!camera) continue;
    ON_3dmView view;
    view.m_name = host::OnText(Wide(camera->mName));
    view.m_named_view_id = host::NewUuid();
    view.m_vp = CameraViewport(*camera, m_to_document * NodeWorld(camera->mName),
                               m_options.frame.nodePlacesCameras);
    m_doc->StandinProperties().StandinAddNamedView(view);
    if (!result.hasView) {
      result.hasView = true;
      result.view = view.m_vp;
    }
  }
  if (!result.hasView && m_extents.IsValid()) {
    result.hasView = true;
    result.view = ExtentsViewport(m_extents);
  }
}

DocumentReadResult SceneBuilder::Build() {
  DocumentReadResult result;
  m_doc = std::make_unique<CRhinoDoc>();
  m_doc->SetPathName(host::OnText(m_options.documentPath));
  m_doc->SetModelUnits(ON_UnitSystem(m_options.frame.units));
  CRhinoLayer layer;
  layer.SetId(host::NewUuid());
  layer.SetName(L"Default");
  m_doc->m_layer_table.AddLayer(layer);

  WalkNodes();
  AddMaterials();
  AddDefinitions();
  AddObjects();
  AddLights();
  AddViews(result);
  result.doc = std::move(m_doc);
  return result;
}

}  // namespace

DocumentReadResult DocumentFromScene(const aiScene& scene, const SceneImportOptions& options) {
  return SceneBuilder(scene, options).Build();
}

fs::path EmbeddedTextureFolder(const std::string& absolutePath) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx",
                static_cast<unsigned long long>(std::hash<std::string>()(absolutePath)));
  std::error_code ec;
  fs::path temp = fs::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  return temp / "orvex-host-textures" /
         (fs::path(absolutePath).stem().string() + "-" + std::string(hash));
}

DocumentReadResult ImportWithAssimp(const std::string& path, const std::string& defaultUnits) {
  DocumentReadResult result;
  ON::LengthUnitSystem units;
  if (!UnitSystemFromName(defaultUnits, &units)) {
    result.error = path + ": unknown unit name '" + defaultUnits + "' for a file without units";
    return result;
  }
  Assimp::Importer importer;
  // Pivots as plain node transforms, without helper nodes between them.
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  try {
    // No post-processing flags: validation and clean-up would drop the faces
    // and vertices that the plug-in must cope with itself.
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene || !scene->mRootNode) {
      const std::string reason = importer.GetErrorString();
      result.error = path + ": " + (reason.empty() ? "assimp read no scene" : reason);
      return result;
    }
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec).lexically_normal();
    SceneImportOptions options;
    options.frame = FrameOfScene(path, *scene, units);
    options.documentPath = Wide(absolute.string());
    options.modelFolder = absolute.parent_path();
    options.embeddedFolder = EmbeddedTextureFolder(absolute.string());
    return DocumentFromScene(*scene, options);
  } catch (const std::exception& e) {
    result.doc.reset();
    result.error = path + ": " + e.what();
    return result;
  }
}
