// Generated meshes and documents for the benchmarks and the call-log check:
// grid meshes of any size, a large document of mesh objects, block
// definitions with many references and materials, and a small document that
// takes every path of the export at least once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RhinoSdk.h"
#include "common/renderer_frame.h"

namespace bench {

// A deterministic id: the same number always gives the same id.
ON_UUID NumberedUuid(std::uint32_t kind, std::uint32_t number);

// A rectangular grid of columns × rows cells, with one normal and one texture
// coordinate per vertex: (columns + 1) × (rows + 1) vertices, and either one
// quad or two triangles per cell. The grid lies in the XY plane at `origin`,
// cells `cell` wide, with a gentle wave in Z.
ON_Mesh GridMesh(int columns, int rows, bool quads, const ON_3dPoint& origin = ON_3dPoint::Origin,
                 double cell = 1.0);

struct LargeDocumentShape {
  int objects = 2000;             // mesh objects
  int trianglesPerObject = 2000;  // each mesh: 20 × 50 cells, two triangles each
  int definitions = 200;          // block definitions, one mesh of the same size each
  int referencesPerDefinition = 50;
  int materials = 100;
};

// The bytes of one mesh as the bridge receives it: positions, normals and
// texture coordinates per vertex, three indices per triangle.
struct SentMesh {
  const ON_Mesh* mesh = nullptr;
  // An object's mesh in renderer axes; a block definition's in model axes.
  common::MeshAxes axes = common::MeshAxes::kRenderer;
  std::size_t positionBytes = 0;
  std::size_t normalBytes = 0;
  std::size_t uvBytes = 0;
  std::size_t indexBytes = 0;
  std::size_t Bytes() const { return positionBytes + normalBytes + uvBytes + indexBytes; }
};

// The plain copy a send is measured against: a mesh's source arrays, or
// `count` 16-float placements, copied to `out`, which is advanced past them.
void CopySourceArrays(const SentMesh& mesh, char*& out);
void CopyPlacements(std::size_t count, char*& out);

struct LargeDocument {
  std::unique_ptr<CRhinoDoc> doc;
  // The meshes a full send converts, in no particular order: every mesh
  // object and the mesh of every block definition.
  std::vector<SentMesh> sentMeshes;
  // The placements a full send makes: one per mesh object, one per
  // definition mesh per reference.
  std::size_t placements = 0;
  std::size_t triangles = 0;
  // The mesh objects, in document order (for hiding some).
  std::vector<CRhinoObject*> meshObjects;

  std::size_t SentBytes() const;  // mesh buffers and 16-float placements
  std::size_t LargestMeshBytes() const;
};

// The large document in metres: all-triangle grid meshes, materials (some
// physically based, some with textures) assigned round robin, a layer
// material for objects without one, definitions placed on a grid.
LargeDocument BuildLargeDocument(const LargeDocumentShape& shape = {});

// What a written model file holds.
struct ModelFileContents {
  std::size_t meshes = 0;
  std::size_t triangles = 0;
  // The bytes of the meshes' arrays (vertices, normals, texture coordinates,
  // faces) as openNURBS holds them once read.
  std::size_t meshBytes = 0;
};

// The large document's shape written as a .3dm file with openNURBS (version
// 7): the same grid meshes as mesh objects, each block definition's mesh as
// its one object, the references, the materials assigned round robin, in
// metres. False when the file could not be written.
bool WriteLargeModelFile(const std::string& path, const LargeDocumentShape& shape,
                         ModelFileContents& contents);

// A small document that takes every path of the export: quad, triangle and
// mixed meshes, meshes without normals or texture coordinates, an unset
// vertex, an index past the vertex list, a polysurface with face materials,
// hidden, locked and deleted objects, a nested block, hidden and deleted
// references, and materials with shared leading id digits.
std::unique_ptr<CRhinoDoc> BuildVarietyDocument(ON::LengthUnitSystem units);

// Lights of every kind the renderer knows, and some it does not, spread over
// a few layers.
std::unique_ptr<CRhinoDoc> BuildLightDocument(int lights);

// Materials of every kind the record knows: plain, with textures of each
// role, with a texture transform, physically based.
std::vector<ON_Material> BuildMaterials(int count);

}  // namespace bench
