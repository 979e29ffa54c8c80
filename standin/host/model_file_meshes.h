// The render meshes a .3dm file holds for an object's geometry.
#pragma once

#include <vector>

#include "opennurbs.h"

// One render mesh per face of a polysurface, with the face's material
// channel (0: the object's own material); one for an extrusion.
struct CachedRenderMesh {
  const ON_Mesh* mesh = nullptr;
  int materialChannel = 0;
};

enum class RenderMeshKind {
  kMesh,         // the geometry is a mesh itself
  kCached,       // the file holds its render meshes
  kSubD,         // a SubD: its render mesh is made from it
  kMissing,      // a renderer would show it, but the file holds no render mesh
  kNotRendered,  // curves, points, annotations, references: nothing to mesh
};

// The render meshes of `geometry` (nothing in `meshes` unless kCached).
// A SubD is kSubD, or kMissing when no render mesh can be made from it.
// A polysurface counts as missing when any of its faces lacks a mesh.
RenderMeshKind CachedRenderMeshes(const ON_Geometry& geometry,
                                  std::vector<CachedRenderMesh>* meshes);
