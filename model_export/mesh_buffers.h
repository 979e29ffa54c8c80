// A render mesh as the four flat buffers the bridge receives: positions,
// normals, texture coordinates and triangle indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "RhinoSdk.h"
#include "common/renderer_frame.h"

namespace model_export {

// An allocator whose value-less construction leaves a number unset: growing a
// buffer to its final size does not first write zeros over it, since the
// conversion writes every element itself.
template <class T>
struct UnsetOnGrowth : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnsetOnGrowth<U>;
  };
  UnsetOnGrowth() = default;
  template <class U>
  UnsetOnGrowth(const UnsetOnGrowth<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using FloatBuffer = std::vector<float, UnsetOnGrowth<float>>;
using IndexBuffer = std::vector<int, UnsetOnGrowth<int>>;

struct MeshBuffers {
  FloatBuffer positions;  // 3 per vertex
  FloatBuffer normals;    // 3 per vertex
  FloatBuffer uvs;        // 2 per vertex
  IndexBuffer indices;    // 3 per triangle, zero-based vertex numbers

  // Working storage of the conversion, kept from mesh to mesh so that a send
  // allocates only when a mesh is larger than every mesh before it.
  std::vector<unsigned char> usable;  // per vertex, when some vertex is invalid

  // Gives all the memory back.
  void Release() { *this = MeshBuffers(); }
};

// The placement of a mesh that is already in world coordinates.
inline constexpr float kIdentityTransform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The conversion of one render mesh for sending, into the buffers (emptied
// first), in one pass over its vertices and one over its faces; the mesh is
// only read. Its quads are split into the triangles the host's own
// ON_Mesh::ConvertQuadsToTriangles makes of them (QuadSplitOf), in the same
// order: every face in its place (a quad as its first triangle), then the
// second triangles of the quads in face order. Its positions are scaled by
// the frame's unit scale (centimetres per model unit), each float times the
// double scale, rounded once. In renderer axes: positions (y, x, z) and
// normals (y, x, z); in model axes: positions (x, y, z) and normals
// (-x, -y, -z). Texture coordinates are (u, -v) in both modes. The three
// per-vertex buffers always hold exactly one entry per vertex, in vertex
// order:
// - a vertex that fails its validity test keeps its number with the position
//   (0, 0, 0), and every triangle that uses it is left out. Validity is judged
//   on the mesh's own coordinates, before scaling, and for a finite scale
//   again after it: a vertex that the scale takes out of the float range is
//   invalid too;
// - a missing normal, or one that fails its validity test, is (0, 0, 1);
// - a missing texture coordinate is (0, 0).
// Triangles are written in stored order and winding; a triangle with a vertex
// number outside the vertex list is left out. False, with the buffers of no
// use, when no triangle is left to send.
//
// A large mesh (2^17 vertices or more, or as many faces from its first quad
// on) is converted on up to `threads` threads at once, the caller's among
// them, each taking its own range of vertices and faces; the buffers are the
// same bit for bit.
bool ConvertMesh(const ON_Mesh& mesh, const common::RendererFrame& frame, common::MeshAxes axes,
                 MeshBuffers& buffers, unsigned threads = 1);

// The bytes of the arrays every conversion of `mesh` reads: its faces,
// vertices, normals and texture coordinates.
std::size_t ConvertedArrayBytes(const ON_Mesh& mesh);

// Asks the memory system for those arrays without waiting for them, so that
// a conversion of the mesh on another core soon after finds them in the
// caches instead of waiting on memory for the first lines of each array.
void WarmMeshArrays(const ON_Mesh& mesh);

// What the host's quad split (ConvertQuadsToTriangles: every quad, along the
// shorter diagonal) makes of one face.
enum class QuadSplit : unsigned char {
  kKept,     // not a valid quad, or both diagonals of no length: stays a quad
  kDrop0,    // corners 0 and 1 (nearly) at one point: one triangle (1, 2, 3)
  kDrop1,    // corners 1 and 2: one triangle (2, 3, 0)
  kDrop2,    // corners 2 and 3: one triangle (3, 0, 1)
  kDrop3,    // corners 3 and 0: one triangle (0, 1, 2)
  kAlong02,  // triangles (0, 1, 2) in place and (0, 2, 3) appended
  kAlong13,  // triangles (0, 1, 3) in place and (1, 2, 3) appended
};

// The split of a face of `mesh` that is a valid quad (four different vertex
// numbers inside the vertex list), judged on the mesh's double-precision
// vertices when it has them, as the host judges it.
QuadSplit QuadSplitOf(const ON_Mesh& mesh, const ON_MeshFace& quad);

// Whether the bridge, which takes every count as a 32-bit integer, can be
// told the sizes of the buffers of a mesh of `vertices` vertices (positions
// and normals hold three numbers each) and `indices` triangle indices.
bool BridgeCountsFit(std::size_t vertices, std::size_t indices);

// BridgeCountsFit, and when the counts do not fit, the console line "mesh too
// large to send: V vertices, T triangles" (the mesh is then left out).
bool CheckBridgeCounts(std::size_t vertices, std::size_t indices);

// The name of mesh number n: its decimal text.
std::wstring MeshName(std::uint32_t number);

}  // namespace model_export
