#include "standin/bridge/gltf_writer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <system_error>
#include <tuple>
#include <utility>

#include "standin/bridge/frame.h"
#include "standin/bridge/gltf_material.h"
#include "standin/bridge/gltf_meshes.h"
#include "standin/bridge/gltf_scene.h"
#include "standin/bridge/record_reader.h"

namespace orvex_bridge {
namespace fs = std::filesystem;

namespace {

using Object = tinygltf::Value::Object;

constexpr std::array<float, 16> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Turns the held model into nodes, meshes and materials, sharing accessors between the
// instances of one mesh whose placements agree in handedness, and glTF meshes between those
// that also agree in material.
class ModelNodes {
 public:
  ModelNodes(tinygltf::Model& gltf, const Model& model, TextureFiles& textures,
             std::vector<std::string>& problems, std::set<std::string>& extensionsUsed)
      : gltf_(gltf),
        model_(model),
        textures_(textures),
        problems_(problems),
        extensionsUsed_(extensionsUsed),
        buffer_(gltf) {}

  // The root node holding every element.
  int AddRoot() {
    std::vector<const Element*> elements;
    for (const auto& entry : model_.elements) elements.push_back(&entry.second);
    std::sort(elements.begin(), elements.end(),
              [](const Element* a, const Element* b) { return a->order < b->order; });
    tinygltf::Node root;
    root.name = "model";
    for (const Element* element : elements) {
      root.children.push_back(AddGroup(element->id, element->instances, element->id));
    }
    if (!model_.looseInstances.empty()) {
      root.children.push_back(
          AddGroup("instances outside any element", model_.looseInstances, "none"));
    }
    return AddNode(std::move(root));
  }

  void Finish() { buffer_.Finish("model.bin"); }

 private:
  int AddNode(tinygltf::Node node) {
    gltf_.nodes.push_back(std::move(node));
    return static_cast<int>(gltf_.nodes.size()) - 1;
  }

  int AddGroup(const std::string& name, const std::vector<Instance>& instances,
               const std::string& element) {
    tinygltf::Node group;
    group.name = name;
    for (const Instance& instance : instances) {
      group.children.push_back(AddInstance(instance, element));
    }
    return AddNode(std::move(group));
  }

  int AddInstance(const Instance& instance, const std::string& element) {
    tinygltf::Node node;
    node.name = instance.mesh;
    Object extras{{"mesh", tinygltf::Value(instance.mesh)},
                  {"material", tinygltf::Value(instance.material)}};
    const MeshGeometry* geometry = Geometry(instance.mesh);
    if (geometry == nullptr) {
      extras["missingMesh"] = tinygltf::Value(true);
    } else if (!geometry->indices.empty()) {
      if (IsNodeTransform(instance.transform)) {
        const bool mirrored = Determinant3(instance.transform) < 0;
        const std::array<float, 16> transform = NodeTransformToGltf(instance.transform, mirrored);
        if (transform != kIdentity) node.matrix.assign(transform.begin(), transform.end());
        node.mesh = SharedMesh(instance.mesh, instance.material, mirrored);
      } else if (std::all_of(instance.transform.begin(), instance.transform.end(),
                             [](float v) { return std::isfinite(v); })) {
        // A transform a node cannot hold (shear, projection, zero scale) is applied to a copy
        // of the mesh, placed by the identity.
        node.mesh = AddMesh(instance.mesh,
                            buffer_.AddGeometry(GltfFrameGeometry(
                                TransformedGeometry(*geometry, instance.transform), false)),
                            instance.material);
        extras["transformApplied"] = tinygltf::Value(true);
      } else {
        problems_.push_back("the instance of mesh " + instance.mesh + " in element " + element +
                            " has a transform that is not finite; it is left out");
      }
    }
    node.extras = tinygltf::Value(std::move(extras));
    return AddNode(std::move(node));
  }

  const MeshGeometry* Geometry(const std::string& name) {
    const auto cached = geometry_.find(name);
    if (cached != geometry_.end()) return &cached->second;
    const auto mesh = model_.meshes.find(name);
    if (mesh == model_.meshes.end()) {
      problems_.push_back("an instance names the mesh " + name + ", which the model does not hold");
      return nullptr;
    }
    MeshGeometry geometry = CleanMesh(mesh->second);
    if (geometry.droppedTriangles > 0) {
      problems_.push_back("mesh " + name + ": " + std::to_string(geometry.droppedTriangles) +
                          " triangles with vertex numbers out of range are left out");
    }
    return &geometry_.emplace(name, std::move(geometry)).first->second;
  }

  // One glTF mesh per mesh, material and handedness of the placement.
  int SharedMesh(const std::string& mesh, const std::string& material, bool mirrored) {
    const auto key = std::make_tuple(mesh, material, mirrored);
    const auto found = meshes_.find(key);
    if (found != meshes_.end()) return found->second;
    auto accessors = accessors_.find({mesh, mirrored});
    if (accessors == accessors_.end()) {
      const MeshGeometry framed = GltfFrameGeometry(geometry_.at(mesh), mirrored);
      accessors =
          accessors_.emplace(std::make_pair(mesh, mirrored), buffer_.AddGeometry(framed)).first;
    }
    const int index = AddMesh(mesh, accessors->second, material);
    meshes_.emplace(key, index);
    return index;
  }

  int AddMesh(const std::string& name, const MeshAccessors& accessors,
              const std::string& material) {
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = accessors.positions;
    if (accessors.normals >= 0) primitive.attributes["NORMAL"] = accessors.normals;
    if (accessors.uvs >= 0) primitive.attributes["TEXCOORD_0"] = accessors.uvs;
    primitive.indices = accessors.indices;
    primitive.material = Material(material);
    tinygltf::Mesh mesh;
    mesh.name = name;
    mesh.primitives.push_back(std::move(primitive));
    gltf_.meshes.push_back(std::move(mesh));
    return static_cast<int>(gltf_.meshes.size()) - 1;
  }

  // The material filed under `key`; none (glTF's default) when the model holds no record.
  int Material(const std::string& key) {
    const auto cached = materials_.find(key);
    if (cached != materials_.end()) return cached->second;
    int index = -1;
    const auto held = model_.materials.find(key);
    if (held != model_.materials.end()) {
      std::string error;
      if (const auto record = ReadMaterialRecord(held->second, error)) {
        index = AddRecordMaterial(gltf_, key, *record, textures_, problems_, extensionsUsed_);
      } else {
        problems_.push_back("the material record of key " + key + " does not parse (" + error +
                            "); it is kept as an unnamed default material");
        index = AddDefaultMaterial(gltf_, key);
      }
    }
    materials_.emplace(key, index);
    return index;
  }

  tinygltf::Model& gltf_;
  const Model& model_;
  TextureFiles& textures_;
  std::vector<std::string>& problems_;
  std::set<std::string>& extensionsUsed_;
  GltfBuffer buffer_;
  std::map<std::string, MeshGeometry> geometry_;
  std::map<std::pair<std::string, bool>, MeshAccessors> accessors_;
  std::map<std::tuple<std::string, std::string, bool>, int> meshes_;
  std::map<std::string, int> materials_;
};

}  // namespace

tinygltf::Model BuildGltf(const RendererContent& content, TextureFiles& textures,
                          std::vector<std::string>& problems) {
  tinygltf::Model gltf;
  gltf.asset.version = "2.0";
  gltf.asset.generator = "OrvexPlugin bridge stand-in";
  std::set<std::string> extensionsUsed;
  tinygltf::Scene scene;
  scene.name = "renderer";
  if (content.model) {
    ModelNodes nodes(gltf, *content.model, textures, problems, extensionsUsed);
    scene.nodes.push_back(nodes.AddRoot());
    nodes.Finish();
  }
  if (content.lights) {
    for (const int node : AddLightNodes(gltf, *content.lights)) scene.nodes.push_back(node);
  }
  for (const Scene& view : content.scenes) {
    Object extras{{"id", tinygltf::Value(view.id)},
                  {"fov", tinygltf::Value(static_cast<double>(view.fov))}};
    scene.nodes.push_back(
        AddCameraNode(gltf, view.name, view.camera, view.fov, tinygltf::Value(std::move(extras))));
  }
  if (content.camera) {
    Object extras{{"fov", tinygltf::Value(static_cast<double>(content.camera->fov))}};
    scene.nodes.push_back(AddCameraNode(gltf, "camera", content.camera->camera, content.camera->fov,
                                        tinygltf::Value(std::move(extras))));
  }
  gltf.scenes.push_back(std::move(scene));
  gltf.defaultScene = 0;
  gltf.extensionsUsed.assign(extensionsUsed.begin(), extensionsUsed.end());
  return gltf;
}

void WriteGltfFiles(tinygltf::Model& gltf, const TextureFiles& textures, const fs::path& folder,
                    std::vector<std::string>& problems) {
  std::error_code error;
  fs::create_directories(folder, error);
  textures.CopyInto(folder, problems);
  const fs::path staging = folder / ".model-writing";
  fs::remove_all(staging, error);
  fs::create_directories(staging, error);
  if (error) {
    problems.push_back("the folder " + staging.u8string() + " cannot be made: " + error.message());
    return;
  }
  tinygltf::TinyGLTF writer;
  writer.SetImageWriter(nullptr, nullptr);  // images are files of their own, copied above
  if (!writer.WriteGltfSceneToFile(&gltf, (staging / "model.gltf").string(), false, false, true,
                                   false)) {
    problems.push_back("the glTF file cannot be written in " + staging.u8string());
  } else {
    if (gltf.buffers.empty()) {
      fs::remove(folder / "model.bin", error);
    } else {
      fs::rename(staging / "model.bin", folder / "model.bin", error);
    }
    if (!error) fs::rename(staging / "model.gltf", folder / "model.gltf", error);
    if (error) {
      problems.push_back("the glTF file cannot be moved into " + folder.u8string() + ": " +
                         error.message());
    }
  }
  fs::remove_all(staging, error);
}

}  // namespace orvex_bridge
