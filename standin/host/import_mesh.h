// Render meshes from assimp meshes: placed by a transform, faces kept as
// triangles and quads (larger polygons split into triangles), normals and
// texture coordinates kept as the file has them, however odd.
#pragma once

#include <assimp/matrix4x4.h>

#include <array>
#include <vector>

#include "RhinoSdk.h"

struct aiMesh;

ON_Xform XformFromAssimp(const aiMatrix4x4& m);

// x applied to a point, and the linear part of x applied to a vector. An entry
// of x that is zero contributes nothing, so a turn of the axes moves an
// infinite coordinate to its new place instead of spreading NaN (inf * 0) over
// the other coordinates.
ON_3dPoint TransformPoint(const ON_Xform& x, const ON_3dPoint& p);
ON_3dVector TransformVector(const ON_Xform& x, const ON_3dVector& v);

// The transform for normals of geometry placed by x: the inverse transpose of
// its linear part, up to a positive factor.
ON_Xform NormalXform(const ON_Xform& x);

// Determinant of the linear part: negative for a mirroring transform.
double LinearDeterminant(const ON_Xform& x);

// True when the mesh has a face with three or more corners (points and lines
// make no render mesh).
bool HasSurfaceFaces(const aiMesh& mesh);

// The mesh placed by xform. Vertices, normals and texture coordinates keep
// their numbering; face corners keep their vertex numbers even when they are
// out of range. A mirroring xform reverses the faces' winding so that they
// keep facing their normals. A normal keeps its length (a zero or short normal
// stays zero or short); a mesh without normals gets vertex normals computed
// from its faces.
ON_Mesh MeshFromAssimp(const aiMesh& mesh, const ON_Xform& xform);

// Splits a polygon (corners in order) into triangles of corner numbers with
// the polygon's winding, by clipping ears in the polygon's plane; a polygon
// that cannot be clipped (invalid corners, no area, very many corners) is
// split as a fan from its first corner.
std::vector<std::array<int, 3>> TriangulatePolygon(const std::vector<ON_3dPoint>& corners);

// Vertex normals as the area-weighted mean of the normals of the faces that
// use each vertex; faces with invalid or out-of-range corners are left out and
// a vertex on no usable face gets the zero vector.
void ComputeVertexNormals(ON_Mesh& mesh);
