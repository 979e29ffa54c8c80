// A render mesh as the four flat buffers the bridge receives: positions,
// normals, texture coordinates and triangle indices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RhinoSdk.h"

struct MeshBuffers {
  std::vector<float> positions;  // 3 per vertex
  std::vector<float> normals;    // 3 per vertex
  std::vector<float> uvs;        // 2 per vertex
  std::vector<int> indices;      // 3 per triangle, zero-based vertex numbers
};

// The placement of a mesh that is already in world coordinates.
inline constexpr float kIdentityTransform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Fills the buffers (emptied first) from the mesh as it stands, without
// scaling. exchange: positions (y, x, z) and normals (y, x, z), the renderer
// frame; otherwise positions (x, y, z) and normals (-x, -y, -z). Texture
// coordinates are (u, -v) in both modes. The three per-vertex buffers always
// hold exactly one entry per vertex, in vertex order:
// - a vertex that fails its validity test keeps its number with the position
//   (0, 0, 0), and every triangle that uses it is left out;
// - a missing normal, or one that fails its validity test, is (0, 0, 1);
// - a missing texture coordinate is (0, 0).
// Only faces that are triangles are written, in stored order and winding;
// a triangle with a vertex number outside the vertex list is left out.
void FillMeshBuffers(const ON_Mesh& mesh, MeshBuffers& buffers, bool exchange);

// The conversion of one render mesh for sending: a copy with its quads split
// into triangles, filled as above, positions then scaled by `scale`
// (centimetres per model unit). Validity is judged on the mesh's own
// coordinates, before scaling. False, with the buffers of no use, when no
// triangle is left to send.
bool ConvertMesh(const ON_Mesh& mesh, double scale, bool exchange, MeshBuffers& buffers);

// The name of mesh number n: its decimal text.
std::wstring MeshName(std::uint32_t number);
