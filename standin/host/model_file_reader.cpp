#include "model_file_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "document_trees.h"
#include "model_file_meshes.h"
#include "platform/platform.h"
#include "subd_render_mesh.h"

namespace {

namespace fs = std::filesystem;

// Opens a file for reading by its wide name on Windows, where openNURBS built
// with mingw-w64 would pass the name through the ANSI code page.
std::FILE* OpenToRead(const fs::path& file) {
#ifdef _WIN32
  return _wfopen(file.c_str(), L"rb");
#else
  return std::fopen(file.c_str(), "rb");
#endif
}

// The version a file's header states ("3D Geometry File Format       7"), or 0.
int HeaderVersion(const fs::path& file) {
  std::FILE* f = OpenToRead(file);
  if (!f) return 0;
  char header[32] = {};
  const size_t got = std::fread(header, 1, sizeof header, f);
  std::fclose(f);
  static const char kStart[] = "3D Geometry File Format ";
  if (got < sizeof header || std::memcmp(header, kStart, sizeof kStart - 1) != 0) return 0;
  return std::atoi(std::string(header + sizeof kStart - 1, header + sizeof header).c_str());
}

bool ReadModel(const fs::path& file, ONX_Model& model) {
  std::FILE* f = OpenToRead(file);
  if (!f) return false;
  ON_BinaryFile archive(ON::archive_mode::read3dm, f);
  archive.SetArchiveFullPath(file.wstring().c_str());
  ON_wString log;
  ON_TextLog errors(log);
  const bool read = model.Read(archive, &errors);
  std::fclose(f);
  return read;
}

// The id the document knows a material by: its RDK instance id when it has one.
ON_UUID MaterialId(const ON_Material& material) {
  const ON_UUID rdk = material.RdkMaterialInstanceId();
  return rdk != ON_nil_uuid ? rdk : material.Id();
}

ON_UUID MaterialIdOf(const ON_ModelComponentReference& reference) {
  const ON_Material* material = ON_Material::Cast(reference.ModelComponent());
  return material ? MaterialId(*material) : ON_nil_uuid;
}

std::string Utf8(const ON_wString& text) {
  return platform::WideToUtf8(static_cast<const wchar_t*>(text));
}

// The last part of a path written on any system.
std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A relative path written on Windows ("..\\textures\\wood.jpg") as this system writes it.
std::string SlashesOf(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

struct UuidLess {
  bool operator()(const ON_UUID& a, const ON_UUID& b) const { return ON_UuidCompare(a, b) < 0; }
};

// The geometry of a model component and its attributes; both null unless
// the component has both.
std::pair<const ON_Geometry*, const ON_3dmObjectAttributes*> GeometryOf(
    const ON_ModelComponent* component) {
  const auto* model = ON_ModelGeometryComponent::Cast(component);
  const ON_Geometry* geometry = model ? model->Geometry(nullptr) : nullptr;
  const ON_3dmObjectAttributes* attributes = model ? model->Attributes(nullptr) : nullptr;
  if (!geometry || !attributes) return {nullptr, nullptr};
  return {geometry, attributes};
}

// The layers of the file's layer table with their parent ids as written, or
// none when the table cannot be read on its own.
std::vector<host::LayerNode> LayersAsWritten(const fs::path& file) {
  std::vector<host::LayerNode> layers;
  std::FILE* f = OpenToRead(file);
  if (!f) return layers;
  ON_BinaryFile archive(ON::archive_mode::read3dm, f);
  int version = 0;
  ON_String comments;
  ON_3dmProperties properties;
  ON_3dmSettings settings;
  if (archive.Read3dmStartSection(&version, comments) && archive.Read3dmProperties(properties) &&
      archive.Read3dmSettings(settings)) {
    // The tables before the layer table, passed over in their order.
    if (archive.BeginRead3dmBitmapTable()) archive.EndRead3dmBitmapTable();
    if (archive.BeginRead3dmTextureMappingTable()) archive.EndRead3dmTextureMappingTable();
    if (archive.BeginRead3dmMaterialTable()) archive.EndRead3dmMaterialTable();
    if (archive.BeginRead3dmLinetypeTable()) archive.EndRead3dmLinetypeTable();
    if (archive.BeginRead3dmLayerTable()) {
      ON_Layer* layer = nullptr;
      while (archive.Read3dmLayer(&layer) > 0) {
        layers.push_back({layer->Id(), layer->Name(), layer->ParentLayerId()});
        delete layer;
      }
      archive.EndRead3dmLayerTable();
    }
  }
  std::fclose(f);
  return layers;
}

// "1 object has" / "3 objects have": a count and its noun in the right number.
std::string Counted(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

class ModelReader {
 public:
  ModelReader(const ONX_Model& model, const fs::path& filePath, CRhinoDoc& doc)
      : m_model(model), m_filePath(filePath), m_doc(doc) {}

  void ReadMaterials() {
    ONX_ModelComponentIterator it(m_model, ON_ModelComponent::Type::RenderMaterial);
    for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent()) {
      const ON_Material* material = ON_Material::Cast(c);
      if (!material) continue;
      auto content = std::make_unique<CRhRdkMaterial>();
      content->m_id = MaterialId(*material);
      content->m_name = material->Name();
      ON_Material& copy = content->m_material;
      copy = *material;
      copy.SetRdkMaterialInstanceId(content->m_id);
      for (int i = 0; i < copy.m_textures.Count(); ++i) FindTexture(copy.m_textures[i]);
      m_doc.StandinRdk().StandinAdd(std::move(content), true);
    }
  }

  // Layers in the file's index order, so that objects keep their layer index.
  void ReadLayers() {
    std::map<int, const ON_Layer*> byIndex;
    ONX_ModelComponentIterator it(m_model, ON_ModelComponent::Type::Layer);
    for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent())
      if (const ON_Layer* layer = ON_Layer::Cast(c)) byIndex[layer->Index()] = layer;
    for (const auto& [index, layer] : byIndex) {
      CRhinoLayer added(*layer);
      added.m_standin_material_id = MaterialIdOf(m_model.RenderMaterialFromLayerIndex(index));
      m_layerIndex[index] = m_doc.m_layer_table.AddLayer(added);
    }
    if (m_doc.m_layer_table.LayerCount() == 0) {
      CRhinoLayer defaultLayer;
      defaultLayer.SetId(ON_CreateId());
      defaultLayer.SetName(L"Default");
      m_doc.m_layer_table.AddLayer(defaultLayer);
    }
  }

  // openNURBS's model puts a layer whose parent id names no layer read before
  // it at the top level as it reads the file, and says nothing: the layer
  // table as written tells which parents are not in the file at all.
  void FindOrphanLayers() {
    const std::vector<host::LayerNode> written = LayersAsWritten(m_filePath);
    m_orphanLayers = host::OrphanLayerNotice(written, host::CheckLayerTree(written).orphans);
  }

  void ReadDefinitions() {
    ONX_ModelComponentIterator it(m_model, ON_ModelComponent::Type::InstanceDefinition);
    for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent()) {
      const ON_InstanceDefinition* source = ON_InstanceDefinition::Cast(c);
      if (!source) continue;
      auto definition = std::make_unique<CRhinoInstanceDefinition>();
      static_cast<ON_InstanceDefinition&>(*definition) = *source;
      definition->m_doc = &m_doc;
      m_definitions[source->Id()] = definition.get();
      m_doc.m_instance_definition_table.StandinAdd(std::move(definition));
    }
  }

  // Objects. The geometry of a block definition goes into its
  // definition, in the order the definition lists it.
  void ReadObjects() {
    std::map<ON_UUID, std::unique_ptr<CRhinoObject>, UuidLess> definitionObjects;
    ONX_ModelComponentIterator it(m_model, ON_ModelComponent::Type::ModelGeometry);
    for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent()) {
      const auto [geometry, attributes] = GeometryOf(c);
      if (!geometry) continue;
      std::unique_ptr<CRhinoObject> object = ObjectOf(*geometry, *attributes);
      if (!object) continue;
      SetAttributes(*object, *attributes);
      if (attributes->Mode() == ON::idef_object) {
        object->StandinSetDocument(&m_doc);
        object->StandinSetActive(false);  // definition geometry is not in the document itself
        definitionObjects[attributes->m_uuid] = std::move(object);
      } else {
        m_doc.StandinAddObject(std::move(object));
      }
    }
    for (auto& [id, definition] : m_definitions) {
      const ON_SimpleArray<ON_UUID>& ids = definition->InstanceGeometryIdList();
      for (int i = 0; i < ids.Count(); ++i) {
        auto found = definitionObjects.find(ids[i]);
        if (found != definitionObjects.end() && found->second)
          m_contents[id].push_back(std::move(found->second));
      }
    }
    DropSelfReferences();
    for (auto& [id, objects] : m_contents)
      for (auto& object : objects) m_definitions[id]->StandinAddObject(std::move(object));
  }

  void ReadLights() {
    ONX_ModelComponentIterator it(m_model, ON_ModelComponent::Type::RenderLight);
    for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent()) {
      const auto [geometry, attributes] = GeometryOf(c);
      const ON_Light* source = ON_Light::Cast(geometry);
      if (!source) continue;
      auto light = std::make_unique<CRhinoLight>();
      light->m_light = *source;
      SetAttributes(*light, *attributes);
      // The application knows a light by one id, its object's.
      ON_3dmObjectAttributes& a = light->StandinAttributes();
      if (a.m_uuid == ON_nil_uuid) a.m_uuid = source->m_light_id;
      light->m_light.m_light_id = a.m_uuid;
      light->StandinSetDocument(&m_doc);
      m_doc.m_light_table.StandinAdd(std::move(light));
    }
  }

  void ReadNamedViews() {
    const ON_ClassArray<ON_3dmView>& views = m_model.m_settings.m_named_views;
    for (int i = 0; i < views.Count(); ++i) m_doc.StandinProperties().StandinAddNamedView(views[i]);
  }

  // What the document leaves out, one line each; none when nothing.
  std::vector<std::string> Notices() const {
    std::vector<std::string> notices;
    if (m_withoutRenderMesh > 0)
      notices.push_back(
          Counted(m_withoutRenderMesh, "object has no render mesh in the file and is",
                  "objects have no render mesh in the file and are") +
          " not sent: save the file again with its render meshes (not \"save small\")");
    if (m_selfReferences > 0) notices.push_back(host::SelfReferenceNotice(m_selfReferences));
    if (!m_orphanLayers.empty()) notices.push_back(m_orphanLayers);
    if (!m_missingTextures.empty()) {
      std::string names;
      for (const std::string& name : m_missingTextures) names += (names.empty() ? "" : ", ") + name;
      notices.push_back(Counted(m_missingTextures.size(), "texture file is", "texture files are") +
                        " neither where the file says nor beside it: " + names);
    }
    return notices;
  }

 private:
  std::unique_ptr<CRhinoObject> ObjectOf(const ON_Geometry& geometry,
                                         const ON_3dmObjectAttributes& attributes) {
    if (const ON_InstanceRef* ref = ON_InstanceRef::Cast(&geometry)) {
      auto reference = std::make_unique<CRhinoInstanceObject>();
      reference->m_definition_id = ref->m_instance_definition_uuid;
      reference->m_xform = ref->m_xform;
      return reference;
    }
    std::vector<CachedRenderMesh> meshes;
    switch (CachedRenderMeshes(geometry, &meshes)) {
      case RenderMeshKind::kMesh: {
        auto object = std::make_unique<CRhinoMeshObject>();
        const ON_Mesh& read = *ON_Mesh::Cast(&geometry);
        object->m_mesh = read;
        // The model is read only to be turned into the document and dropped:
        // each mesh gives its memory back once copied, so that the host does
        // not hold every mesh of the file twice until then.
        const_cast<ON_Mesh&>(read).Destroy();
        return object;
      }
      case RenderMeshKind::kCached: break;
      case RenderMeshKind::kSubD: {
        ON_Mesh mesh;
        if (!SubDRenderMesh(*ON_SubD::Cast(&geometry), &mesh)) return Unmeshed(attributes);
        auto object = std::make_unique<CRhinoBrepObject>();
        object->StandinSetFaces({{std::move(mesh), ON_nil_uuid}});
        return object;
      }
      case RenderMeshKind::kMissing: return Unmeshed(attributes);
      case RenderMeshKind::kNotRendered: return nullptr;
    }
    // A face with its own material channel wears the material the object's
    // material names for that channel.
    const ON_Material* objectMaterial =
        ON_Material::Cast(m_model.RenderMaterialFromAttributes(attributes).ModelComponent());
    std::vector<CRhinoBrepObject::Face> faces;
    faces.reserve(meshes.size());
    for (const CachedRenderMesh& cached : meshes) {
      ON_UUID materialId = ON_nil_uuid;
      if (cached.materialChannel > 0 && objectMaterial)
        materialId = MaterialIdOf(m_model.ComponentFromId(
            ON_ModelComponent::Type::RenderMaterial,
            objectMaterial->MaterialChannelIdFromIndex(cached.materialChannel)));
      faces.push_back({*cached.mesh, materialId});
    }
    auto object = std::make_unique<CRhinoBrepObject>();
    object->StandinSetFaces(std::move(faces));
    return object;
  }

  std::unique_ptr<CRhinoObject> Unmeshed(const ON_3dmObjectAttributes& attributes) {
    if (attributes.Mode() != ON::idef_object) ++m_withoutRenderMesh;
    return nullptr;
  }

  void SetAttributes(CRhinoObject& object, const ON_3dmObjectAttributes& attributes) {
    ON_3dmObjectAttributes& a = object.StandinAttributes();
    a = attributes;
    const auto layer = m_layerIndex.find(attributes.m_layer_index);
    a.m_layer_index = layer != m_layerIndex.end() ? layer->second : 0;
    if (!attributes.IsVisible()) a.SetMode(ON::object_mode::hidden_object);
    if (attributes.MaterialSource() == ON::material_from_object)
      object.StandinSetMaterial(MaterialIdOf(m_model.RenderMaterialFromAttributes(attributes)));
  }

  // A texture file that is not where the file says is looked for by its
  // relative path and by its name beside the .3dm file, as the application does.
  void FindTexture(ON_Texture& texture) {
    ON_FileReference& reference = texture.m_image_file_reference;
    const std::string written = Utf8(reference.FullPath());
    if (written.empty() || IsFile(fs::u8path(written))) return;
    const fs::path folder = m_filePath.parent_path();
    const std::string relative = Utf8(reference.RelativePath());
    for (const fs::path& candidate :
         {relative.empty() ? fs::path() : folder / fs::u8path(SlashesOf(relative)),
          folder / fs::u8path(FileName(written))}) {
      if (candidate.empty() || !IsFile(candidate)) continue;
      reference.SetFullPath(candidate.lexically_normal().wstring().c_str(), false);
      return;
    }
    m_missingTextures.insert(FileName(written));
  }

  // Block references inside definitions that lead back to their own
  // definition would place it without end: they are cut.
  void DropSelfReferences() {
    std::vector<host::BlockNode> definitions;
    for (auto& [id, objects] : m_contents) {
      host::BlockNode& node = definitions.emplace_back();
      node.id = id;
      for (auto& object : objects)
        if (auto* reference = dynamic_cast<CRhinoInstanceObject*>(object.get()))
          node.placed.push_back(&reference->m_definition_id);
    }
    m_selfReferences = host::CutSelfReferences(definitions);
  }

  const ONX_Model& m_model;
  const fs::path m_filePath;
  CRhinoDoc& m_doc;
  std::map<int, int> m_layerIndex;  // the file's layer index -> the document's
  std::map<ON_UUID, CRhinoInstanceDefinition*, UuidLess> m_definitions;
  // The objects of each definition until self-references are dropped.
  std::map<ON_UUID, std::vector<std::unique_ptr<CRhinoObject>>, UuidLess> m_contents;
  size_t m_withoutRenderMesh = 0;
  size_t m_selfReferences = 0;
  std::string m_orphanLayers;  // the notice, or empty
  std::set<std::string> m_missingTextures;
};

// The file's active view: the one its settings name, else its first.
std::optional<ON_Viewport> ActiveViewport(const ON_3dmSettings& settings) {
  const ON_ClassArray<ON_3dmView>& views = settings.m_views;
  if (views.Count() == 0) return std::nullopt;
  for (int i = 0; i < views.Count(); ++i)
    if (settings.m_active_view_id != ON_nil_uuid &&
        views[i].m_vp.ViewportId() == settings.m_active_view_id)
      return views[i].m_vp;
  return views[0].m_vp;
}

}  // namespace

DocumentReadResult ReadModelFile(const std::string& path) {
  DocumentReadResult result;
  const fs::path file = fs::u8path(path);
  std::error_code error;
  if (!fs::is_regular_file(file, error)) {
    result.error = path + ": not a file";
    return result;
  }
  ONX_Model model;
  if (!ReadModel(file, model)) {
    // Versions 5 and later are written as 50, 60, 70, ...
    const int version = HeaderVersion(file);
    const int readable = ON_BinaryArchive::CurrentArchiveVersion();
    auto shown = [](int v) { return std::to_string(v >= 50 ? v / 10 : v); };
    if (version == 0)
      result.error = path + ": not a .3dm file (its header is not one)";
    else if (version > readable)
      result.error = path + ": a version " + shown(version) +
                     " file; this host reads .3dm files up to version " + shown(readable);
    else
      result.error = path + ": damaged or incomplete, openNURBS could not read it";
    return result;
  }
  auto doc = std::make_unique<CRhinoDoc>();
  doc->SetModelUnits(model.m_settings.m_ModelUnitsAndTolerances.m_unit_system);
  const fs::path absolute = fs::absolute(file).lexically_normal();
  doc->SetPathName(absolute.wstring().c_str());
  ModelReader reader(model, absolute, *doc);
  reader.ReadMaterials();
  reader.ReadLayers();
  reader.FindOrphanLayers();
  reader.ReadDefinitions();
  reader.ReadObjects();
  reader.ReadLights();
  reader.ReadNamedViews();
  result.notices = reader.Notices();
  if (auto view = ActiveViewport(model.m_settings)) {
    result.hasView = true;
    result.view = *view;
  }
  result.doc = std::move(doc);
  return result;
}
