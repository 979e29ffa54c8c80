// Mesh data on its way into glTF: the received buffers made safe to write (vertex count from
// the positions, attributes kept only when they fit it, non-finite values written as zero,
// normals of unit length, triangles with a vertex number out of range left out), placements
// that a glTF node can hold, and the binary buffer with its accessors.
#pragma once

#include <tiny_gltf.h>

#include <array>
#include <cstdint>
#include <vector>

#include "standin/bridge/received_model.h"

namespace orvex_bridge {

struct MeshGeometry {
  std::vector<float> positions;        // 3 per vertex
  std::vector<float> normals;          // 3 per vertex, or none
  std::vector<float> uvs;              // 2 per vertex, or none
  std::vector<std::uint32_t> indices;  // 3 per triangle
  int droppedTriangles = 0;
};

MeshGeometry CleanMesh(const Mesh& mesh);

// Whether a glTF node can hold the column-major transform: finite, last row (0, 0, 0, 1) and
// three non-zero, mutually orthogonal columns, so that it splits into translation, rotation and
// scale.
bool IsNodeTransform(const std::array<float, 16>& transform);

// The geometry with the transform applied as the renderer applies an instance transform:
// positions by the whole matrix (divided by the projective weight when it is not zero), normals
// by the cofactor matrix of its 3x3 part (which keeps their sense under a mirror).
MeshGeometry TransformedGeometry(const MeshGeometry& geometry,
                                 const std::array<float, 16>& transform);

// The determinant of the transform's 3x3 part.
double Determinant3(const std::array<float, 16>& transform);

// The geometry in glTF's frame, for a node whose transform keeps handedness: positions and
// normals turned from the renderer frame (positions to metres), and with `mirrored` glTF's X
// mirrored, for a node placed by NodeTransformToGltf(transform, true). The renderer takes a face
// as front where it winds clockwise in its frame, which is a mirror image of Rhino's, after the
// instance transform, and turns normals by the cofactor matrix, which reverses them under a
// mirror; glTF takes a face as front where it winds counter-clockwise. So the triangles keep
// their order, and under a mirror the normals are reversed.
MeshGeometry GltfFrameGeometry(const MeshGeometry& renderer, bool mirrored);

struct MeshAccessors {
  int positions = -1;
  int normals = -1;
  int uvs = -1;
  int indices = -1;
};

// The one binary buffer of the document; every accessor gets a buffer view of its own.
class GltfBuffer {
 public:
  explicit GltfBuffer(tinygltf::Model& gltf) : gltf_(gltf) {}
  MeshAccessors AddGeometry(const MeshGeometry& geometry);
  // Adds the buffer (named `uri`) to the document when anything was written to it.
  void Finish(const std::string& uri);

 private:
  int AddFloats(const std::vector<float>& values, int components, bool bounds);
  int AddIndices(const std::vector<std::uint32_t>& values);
  int AddView(const void* data, std::size_t bytes, int target);

  tinygltf::Model& gltf_;
  std::vector<unsigned char> data_;
};

}  // namespace orvex_bridge
