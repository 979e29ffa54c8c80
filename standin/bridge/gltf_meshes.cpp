#include "standin/bridge/gltf_meshes.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "standin/bridge/frame.h"

namespace orvex_bridge {
namespace {

float Finite(float value) { return std::isfinite(value) ? value : 0.0f; }

// A double as a float; zero where it is not finite or beyond the float range.
float FiniteFloat(double value) {
  return std::fabs(value) <= std::numeric_limits<float>::max() ? static_cast<float>(value) : 0.0f;
}

// Appends the unit vector of (x, y, z), or (0, 0, 1) when it has no direction.
void AppendUnit(std::vector<float>& out, double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  if (!std::isfinite(length) || length < 1e-20) {
    out.insert(out.end(), {0.0f, 0.0f, 1.0f});
    return;
  }
  out.insert(out.end(), {static_cast<float>(x / length), static_cast<float>(y / length),
                         static_cast<float>(z / length)});
}

// Column-major element at row r, column c.
double At(const std::array<float, 16>& m, int r, int c) { return m[c * 4 + r]; }

}  // namespace

MeshGeometry CleanMesh(const Mesh& mesh) {
  MeshGeometry geometry;
  const std::size_t vertices = mesh.positions.size() / 3;
  geometry.positions.reserve(vertices * 3);
  for (std::size_t i = 0; i < vertices * 3; ++i) {
    geometry.positions.push_back(Finite(mesh.positions[i]));
  }
  if (mesh.normals.size() == vertices * 3) {
    geometry.normals.reserve(vertices * 3);
    for (std::size_t v = 0; v < vertices; ++v) {
      AppendUnit(geometry.normals, mesh.normals[3 * v], mesh.normals[3 * v + 1],
                 mesh.normals[3 * v + 2]);
    }
  }
  if (mesh.uvs.size() == vertices * 2) {
    for (const float value : mesh.uvs) geometry.uvs.push_back(Finite(value));
  }
  const std::size_t triangles = mesh.indices.size() / 3;
  geometry.droppedTriangles = mesh.indices.size() % 3 != 0 ? 1 : 0;
  for (std::size_t t = 0; t < triangles; ++t) {
    const int* corner = &mesh.indices[3 * t];
    bool inRange = true;
    for (int k = 0; k < 3; ++k) {
      inRange = inRange && corner[k] >= 0 && static_cast<std::size_t>(corner[k]) < vertices;
    }
    if (!inRange) {
      ++geometry.droppedTriangles;
      continue;
    }
    for (int k = 0; k < 3; ++k) geometry.indices.push_back(static_cast<std::uint32_t>(corner[k]));
  }
  return geometry;
}

bool IsNodeTransform(const std::array<float, 16>& m) {
  for (const float value : m) {
    if (!std::isfinite(value)) return false;
  }
  if (m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f || m[15] != 1.0f) return false;
  double length[3];
  for (int c = 0; c < 3; ++c) {
    length[c] = std::sqrt(At(m, 0, c) * At(m, 0, c) + At(m, 1, c) * At(m, 1, c) +
                          At(m, 2, c) * At(m, 2, c));
    if (!(length[c] > 1e-12)) return false;
  }
  for (int a = 0; a < 3; ++a) {
    for (int b = a + 1; b < 3; ++b) {
      const double dot =
          At(m, 0, a) * At(m, 0, b) + At(m, 1, a) * At(m, 1, b) + At(m, 2, a) * At(m, 2, b);
      if (std::fabs(dot) > 1e-5 * length[a] * length[b]) return false;
    }
  }
  return true;
}

double Determinant3(const std::array<float, 16>& m) {
  return At(m, 0, 0) * (At(m, 1, 1) * At(m, 2, 2) - At(m, 1, 2) * At(m, 2, 1)) -
         At(m, 0, 1) * (At(m, 1, 0) * At(m, 2, 2) - At(m, 1, 2) * At(m, 2, 0)) +
         At(m, 0, 2) * (At(m, 1, 0) * At(m, 2, 1) - At(m, 1, 1) * At(m, 2, 0));
}

MeshGeometry TransformedGeometry(const MeshGeometry& geometry, const std::array<float, 16>& m) {
  MeshGeometry out;
  out.droppedTriangles = geometry.droppedTriangles;
  out.uvs = geometry.uvs;
  out.indices = geometry.indices;
  for (std::size_t v = 0; v + 2 < geometry.positions.size(); v += 3) {
    const double p[4] = {geometry.positions[v], geometry.positions[v + 1],
                         geometry.positions[v + 2], 1.0};
    double q[4] = {0, 0, 0, 0};
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) q[r] += At(m, r, c) * p[c];
    }
    const double w = (q[3] != 0.0 && std::isfinite(q[3])) ? q[3] : 1.0;
    for (int r = 0; r < 3; ++r) out.positions.push_back(FiniteFloat(q[r] / w));
  }
  double cofactor[3][3];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      cofactor[r][c] = At(m, r1, c1) * At(m, r2, c2) - At(m, r1, c2) * At(m, r2, c1);
    }
  }
  for (std::size_t v = 0; v + 2 < geometry.normals.size(); v += 3) {
    double n[3] = {0, 0, 0};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) n[r] += cofactor[r][c] * geometry.normals[v + c];
    }
    AppendUnit(out.normals, n[0], n[1], n[2]);
  }
  return out;
}

MeshGeometry GltfFrameGeometry(const MeshGeometry& renderer, bool mirrored) {
  MeshGeometry out = renderer;
  const float mirror = mirrored ? -1.0f : 1.0f;
  for (std::size_t v = 0; v + 2 < out.positions.size(); v += 3) {
    const Vec3 p =
        PointToGltf({renderer.positions[v], renderer.positions[v + 1], renderer.positions[v + 2]});
    out.positions[v] = mirror * static_cast<float>(p[0]);
    out.positions[v + 1] = static_cast<float>(p[1]);
    out.positions[v + 2] = static_cast<float>(p[2]);
  }
  for (std::size_t v = 0; v + 2 < out.normals.size(); v += 3) {
    const Vec3 n =
        DirectionToGltf({renderer.normals[v], renderer.normals[v + 1], renderer.normals[v + 2]});
    // Mirrored: -M n, that is X kept and Y, Z reversed.
    out.normals[v] = static_cast<float>(n[0]);
    out.normals[v + 1] = mirror * static_cast<float>(n[1]);
    out.normals[v + 2] = mirror * static_cast<float>(n[2]);
  }
  return out;
}

int GltfBuffer::AddView(const void* data, std::size_t bytes, int target) {
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = data_.size();
  view.byteLength = bytes;
  view.target = target;
  const auto* begin = static_cast<const unsigned char*>(data);
  data_.insert(data_.end(), begin, begin + bytes);
  gltf_.bufferViews.push_back(view);
  return static_cast<int>(gltf_.bufferViews.size()) - 1;
}

int GltfBuffer::AddFloats(const std::vector<float>& values, int components, bool bounds) {
  tinygltf::Accessor accessor;
  accessor.bufferView =
      AddView(values.data(), values.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
  accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
  accessor.count = values.size() / components;
  accessor.type = components == 3 ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC2;
  if (bounds) {
    accessor.minValues.assign(components, std::numeric_limits<double>::infinity());
    accessor.maxValues.assign(components, -std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < values.size(); ++i) {
      double& low = accessor.minValues[i % components];
      double& high = accessor.maxValues[i % components];
      low = std::min(low, static_cast<double>(values[i]));
      high = std::max(high, static_cast<double>(values[i]));
    }
  }
  gltf_.accessors.push_back(accessor);
  return static_cast<int>(gltf_.accessors.size()) - 1;
}

int GltfBuffer::AddIndices(const std::vector<std::uint32_t>& values) {
  tinygltf::Accessor accessor;
  accessor.bufferView = AddView(values.data(), values.size() * sizeof(std::uint32_t),
                                TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
  accessor.count = values.size();
  accessor.type = TINYGLTF_TYPE_SCALAR;
  gltf_.accessors.push_back(accessor);
  return static_cast<int>(gltf_.accessors.size()) - 1;
}

MeshAccessors GltfBuffer::AddGeometry(const MeshGeometry& geometry) {
  MeshAccessors accessors;
  if (geometry.indices.empty()) return accessors;
  accessors.positions = AddFloats(geometry.positions, 3, true);
  if (!geometry.normals.empty()) accessors.normals = AddFloats(geometry.normals, 3, false);
  if (!geometry.uvs.empty()) accessors.uvs = AddFloats(geometry.uvs, 2, false);
  accessors.indices = AddIndices(geometry.indices);
  return accessors;
}

void GltfBuffer::Finish(const std::string& uri) {
  if (data_.empty()) return;
  tinygltf::Buffer buffer;
  buffer.uri = uri;
  buffer.data = std::move(data_);
  gltf_.buffers.push_back(std::move(buffer));
  data_.clear();
}

}  // namespace orvex_bridge
