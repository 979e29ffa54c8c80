#include "model_file_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

// The version a file's header states ("3D Geometry File Format       7"), or 0.
int HeaderVersion(const fs::path& file) {
  std::FILE* f = nullptr;
#ifdef _WIN32
  f = _wfopen(file.c_str(), L"rb");
#else
  f = std::fopen(file.c_str(), "rb");
#endif
  if (!f) return 0;
  char header[32] = {};
  const size_t got = std::fread(header, 1, sizeof header, f);
  std::fclose(f);
  static const char kStart[] = "3D Geometry File Format ";
  if (got < sizeof header || std::memcmp(header, kStart, sizeof kStart - 1) != 0) return 0;
  return std::atoi(std::string(header + sizeof kStart - 1, header + sizeof header).c_str());
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

class ModelReader {
 public:
  ModelReader(const ONX_Model& model, CRhinoDoc& doc) : m_model(model), m_doc(doc) {}

  void ReadMaterials() {
    ONX_ModelComponentIterator it(m_model, ON_ModelComponent::Type::RenderMaterial);
    for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent()) {
      const ON_Material* material = ON_Material::Cast(c);
      if (!material) continue;
      auto content = std::make_unique<CRhRdkMaterial>();
      content->m_id = MaterialId(*material);
      content->m_name = material->Name();
      static_cast<ON_Material&>(content->m_material) = *material;
      content->m_material.SetRdkMaterialInstanceId(content->m_id);
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

  void ReadObjects() {
    ONX_ModelComponentIterator it(m_model, ON_ModelComponent::Type::ModelGeometry);
    for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent()) {
      const auto* component = ON_ModelGeometryComponent::Cast(c);
      if (!component) continue;
      const ON_Geometry* geometry = component->Geometry(nullptr);
      const ON_3dmObjectAttributes* attributes = component->Attributes(nullptr);
      if (!geometry || !attributes) continue;
      std::unique_ptr<CRhinoObject> object = ObjectOf(*geometry);
      if (!object) continue;
      ON_3dmObjectAttributes& a = object->StandinAttributes();
      a = *attributes;
      const auto layer = m_layerIndex.find(attributes->m_layer_index);
      a.m_layer_index = layer != m_layerIndex.end() ? layer->second : 0;
      if (!attributes->IsVisible()) a.SetMode(ON::object_mode::hidden_object);
      if (attributes->MaterialSource() == ON::material_from_object)
        object->StandinSetMaterial(MaterialIdOf(m_model.RenderMaterialFromAttributes(*attributes)));
      m_doc.StandinAddObject(std::move(object));
    }
  }

  // Objects a renderer would be sent but whose render mesh the file lacks.
  int withoutRenderMesh = 0;

 private:
  std::unique_ptr<CRhinoObject> ObjectOf(const ON_Geometry& geometry) {
    if (const ON_Mesh* mesh = ON_Mesh::Cast(&geometry)) {
      auto object = std::make_unique<CRhinoMeshObject>();
      object->m_mesh = *mesh;
      return object;
    }
    std::vector<CRhinoBrepObject::Face> faces;
    if (const ON_Brep* brep = ON_Brep::Cast(&geometry)) {
      for (int i = 0; i < brep->m_F.Count(); ++i) {
        const ON_Mesh* mesh = brep->m_F[i].Mesh(ON::render_mesh);
        if (!mesh) return Unmeshed();
        faces.push_back({*mesh, ON_nil_uuid});
      }
    } else if (const ON_Extrusion* extrusion = ON_Extrusion::Cast(&geometry)) {
      const ON_Mesh* mesh = extrusion->m_mesh_cache.Mesh(ON::render_mesh);
      if (!mesh) return Unmeshed();
      faces.push_back({*mesh, ON_nil_uuid});
    } else {
      if (ON_SubD::Cast(&geometry)) return Unmeshed();
      return nullptr;  // curves, points, annotations: nothing a renderer shows
    }
    auto object = std::make_unique<CRhinoBrepObject>();
    object->StandinSetFaces(std::move(faces));
    return object;
  }

  std::unique_ptr<CRhinoObject> Unmeshed() {
    ++withoutRenderMesh;
    return nullptr;
  }

  const ONX_Model& m_model;
  CRhinoDoc& m_doc;
  std::map<int, int> m_layerIndex;  // the file's layer index -> the document's
};

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
  ON_wString log;
  ON_TextLog errors(log);
  const std::wstring wide = platform::Utf8ToWide(path).value_or(L"");
  if (!model.Read(wide.c_str(), &errors)) {
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
  doc->SetPathName(fs::absolute(file).wstring().c_str());
  ModelReader reader(model, *doc);
  reader.ReadMaterials();
  reader.ReadLayers();
  reader.ReadObjects();
  if (const int n = reader.withoutRenderMesh; n > 0)
    result.notice =
        (n == 1 ? std::string("1 object has no render mesh in the file and is")
                : std::to_string(n) + " objects have no render mesh in the file and are") +
        " not sent: save the file again with its render meshes (not \"save small\")";
  result.doc = std::move(doc);
  return result;
}
