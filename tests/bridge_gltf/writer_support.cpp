#include "tests/bridge_gltf/writer_support.h"

#include <utility>

namespace orvex_bridge_test {

Mesh BoxMesh(const std::string& name, const std::array<float, 3>& low,
             const std::array<float, 3>& high) {
  Mesh mesh;
  mesh.name = name;
  for (int corner = 0; corner < 8; ++corner) {
    const float x = (corner & 1) ? high[0] : low[0];
    const float y = (corner & 2) ? high[1] : low[1];
    const float z = (corner & 4) ? high[2] : low[2];
    mesh.positions.insert(mesh.positions.end(), {x, y, z});
    const float n = 0.57735026f;
    mesh.normals.insert(mesh.normals.end(),
                        {(corner & 1) ? n : -n, (corner & 2) ? n : -n, (corner & 4) ? n : -n});
    mesh.uvs.insert(mesh.uvs.end(), {(corner & 1) ? 1.0f : 0.0f, (corner & 2) ? -1.0f : 0.0f});
  }
  // Two triangles per face, counter-clockwise seen from outside.
  mesh.indices = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                  2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
  return mesh;
}

Mesh PlainModeBoxMesh(const std::string& name, const std::array<float, 3>& low,
                      const std::array<float, 3>& high) {
  Mesh mesh = BoxMesh(name, low, high);
  for (float& value : mesh.normals) value = -value;
  return mesh;
}

Mesh RhinoBoxInRenderer(const std::string& name, const std::array<float, 3>& low,
                        const std::array<float, 3>& high) {
  Mesh mesh = BoxMesh(name, {100 * low[1], 100 * low[0], 100 * low[2]},
                      {100 * high[1], 100 * high[0], 100 * high[2]});
  // The plug-in exchanges the axes but keeps Rhino's index order, so that, read in the renderer
  // frame, the outward faces wind the other way round.
  for (std::size_t t = 0; t < mesh.indices.size(); t += 3) {
    std::swap(mesh.indices[t + 1], mesh.indices[t + 2]);
  }
  return mesh;
}

std::array<float, 16> BlockTransform(const std::array<double, 16>& x, double s) {
  auto X = [&](int i, int j) { return x[4 * i + j]; };
  return {static_cast<float>(X(1, 0)),     static_cast<float>(X(0, 0)),
          static_cast<float>(X(2, 0)),     static_cast<float>(X(3, 0) / s),
          static_cast<float>(X(1, 1)),     static_cast<float>(X(0, 1)),
          static_cast<float>(X(2, 1)),     static_cast<float>(X(3, 1) / s),
          static_cast<float>(X(1, 2)),     static_cast<float>(X(0, 2)),
          static_cast<float>(X(2, 2)),     static_cast<float>(X(3, 2) / s),
          static_cast<float>(s * X(1, 3)), static_cast<float>(s * X(0, 3)),
          static_cast<float>(s * X(2, 3)), static_cast<float>(X(3, 3))};
}

void AddElement(Model& model, const std::string& id, std::vector<Instance> instances) {
  orvex_bridge::Element element;
  element.id = id;
  element.order = model.nextElementOrder++;
  element.instances = std::move(instances);
  model.elements[id] = std::move(element);
}

void AddMesh(Model& model, Mesh mesh) {
  std::string name = mesh.name;
  model.meshes[name] = std::move(mesh);
}

Written WriteAndRead(const orvex_bridge::RendererContent& content) {
  Written written;
  written.folder = std::make_unique<TempDir>();
  orvex_bridge::TextureFiles textures({written.folder->path()});
  tinygltf::Model gltf = orvex_bridge::BuildGltf(content, textures, written.problems);
  orvex_bridge::WriteGltfFiles(gltf, textures, written.folder->path(), written.problems);
  written.gltf = std::make_unique<gltf_test::GltfFile>(written.folder->path() / "model.gltf");
  EXPECT_GLTF_VALID(written.folder->path());
  return written;
}

}  // namespace orvex_bridge_test
