#include "standin/bridge/received_model.h"

#include <algorithm>
#include <utility>

namespace orvex_bridge {
namespace {

template <typename T>
std::vector<T> CopyArray(const T* values, int count) {
  if (values == nullptr || count <= 0) return {};
  return std::vector<T>(values, values + count);
}

}  // namespace

Mesh MeshFromCall(std::string name, const float* positions, int positionCount, const float* normals,
                  int normalCount, const float* uvs, int uvCount, const float* extra,
                  int extraCount, const int* indices, int indexCount) {
  Mesh mesh;
  mesh.name = std::move(name);
  mesh.positions = CopyArray(positions, positionCount);
  mesh.normals = CopyArray(normals, normalCount);
  mesh.uvs = CopyArray(uvs, uvCount);
  if (extra != nullptr) mesh.extra = CopyArray(extra, extraCount);
  mesh.indices = CopyArray(indices, indexCount);
  return mesh;
}

Instance InstanceFromCall(std::string mesh, std::string material, const float* transform16) {
  Instance instance{
      std::move(mesh), std::move(material), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
  if (transform16 != nullptr) {
    std::copy(transform16, transform16 + 16, instance.transform.begin());
  }
  return instance;
}

std::array<float, 9> CameraFromCall(const float* camera9) {
  std::array<float, 9> camera{};
  if (camera9 != nullptr) std::copy(camera9, camera9 + 9, camera.begin());
  return camera;
}

}  // namespace orvex_bridge
