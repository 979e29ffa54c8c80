#include "export/mesh_buffers.h"

namespace {

void Append3(std::vector<float>& buffer, float a, float b, float c) {
  buffer.push_back(a);
  buffer.push_back(b);
  buffer.push_back(c);
}

}  // namespace

void FillMeshBuffers(const ON_Mesh& mesh, MeshBuffers& buffers, bool exchange) {
  const int vertexCount = mesh.m_V.Count();
  const size_t v = static_cast<size_t>(vertexCount);
  buffers.positions.clear();
  buffers.normals.clear();
  buffers.uvs.clear();
  buffers.indices.clear();
  buffers.positions.reserve(3 * v);
  buffers.normals.reserve(3 * v);
  buffers.uvs.reserve(2 * v);
  buffers.indices.reserve(3 * static_cast<size_t>(mesh.m_F.Count()));

  std::vector<bool> valid(v, false);
  for (int i = 0; i < vertexCount; ++i) {
    const ON_3fPoint& p = mesh.m_V[i];
    valid[static_cast<size_t>(i)] = p.IsValid();
    if (!p.IsValid())
      Append3(buffers.positions, 0.0f, 0.0f, 0.0f);
    else if (exchange)
      Append3(buffers.positions, p.y, p.x, p.z);
    else
      Append3(buffers.positions, p.x, p.y, p.z);
  }

  for (int i = 0; i < vertexCount; ++i) {
    const ON_3fVector* n = mesh.m_N.At(i);
    if (!n || !n->IsValid())
      Append3(buffers.normals, 0.0f, 0.0f, 1.0f);
    else if (exchange)
      Append3(buffers.normals, n->y, n->x, n->z);
    else
      Append3(buffers.normals, -n->x, -n->y, -n->z);
  }

  for (const ON_MeshFace& face : mesh.m_F.Std()) {
    if (!face.IsTriangle()) continue;
    bool usable = true;
    for (int k = 0; k < 3; ++k) {
      const int index = face.vi[k];
      usable = usable && index >= 0 && index < vertexCount && valid[static_cast<size_t>(index)];
    }
    if (!usable) continue;
    for (int k = 0; k < 3; ++k) buffers.indices.push_back(face.vi[k]);
  }

  for (int i = 0; i < vertexCount; ++i) {
    const ON_2fPoint* t = mesh.m_T.At(i);
    buffers.uvs.push_back(t ? t->x : 0.0f);
    buffers.uvs.push_back(t ? -t->y : 0.0f);
  }
}

bool ConvertMesh(const ON_Mesh& mesh, double scale, bool exchange, MeshBuffers& buffers) {
  ON_Mesh copy(mesh);
  copy.ConvertQuadsToTriangles();
  if (copy.TriangleCount() == 0) return false;
  FillMeshBuffers(copy, buffers, exchange);
  if (buffers.indices.empty()) return false;
  // The uniform scale about the world origin, in double precision as the
  // host's scaling does.
  for (float& coordinate : buffers.positions)
    coordinate = static_cast<float>(static_cast<double>(coordinate) * scale);
  return true;
}

std::wstring MeshName(std::uint32_t number) { return std::to_wstring(number); }
