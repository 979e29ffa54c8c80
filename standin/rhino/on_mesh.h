// ON_Mesh: vertices, normals, texture coordinates and faces, with the SDK's
// member names and the operations the plug-in uses.
#pragma once

#include "on_array.h"
#include "on_geometry.h"

// A face holds four vertex numbers; a triangle repeats its third in vi[3].
struct ON_MeshFace {
  int vi[4] = {0, 0, 0, 0};
  bool IsTriangle() const { return vi[2] == vi[3]; }
  bool IsQuad() const { return vi[2] != vi[3]; }
};

class ON_3fPointArray : public ON_SimpleArray<ON_3fPoint> {};
class ON_3fVectorArray : public ON_SimpleArray<ON_3fVector> {};
class ON_2fPointArray : public ON_SimpleArray<ON_2fPoint> {};

class ON_Mesh : public ON_Geometry {
 public:
  ON_3fPointArray m_V;              // vertex positions
  ON_3fVectorArray m_N;             // vertex normals (empty or one per vertex)
  ON_2fPointArray m_T;              // texture coordinates (empty or one per vertex)
  ON_SimpleArray<ON_MeshFace> m_F;  // faces

  int VertexCount() const { return m_V.Count(); }
  int FaceCount() const { return m_F.Count(); }
  bool HasVertexNormals() const { return m_N.Count() > 0 && m_N.Count() == m_V.Count(); }
  bool HasTextureCoordinates() const { return m_T.Count() > 0 && m_T.Count() == m_V.Count(); }
  // Number of faces that are triangles, and that are quads.
  int TriangleCount() const;
  int QuadCount() const;

  // Splits every quad along its shorter diagonal (0-2 unless 1-3 is shorter):
  // the quad becomes the first triangle in place and the second is appended
  // at the end of the face list. True when the mesh has no quads afterwards.
  bool ConvertQuadsToTriangles();

  void SetVertex(int i, const ON_3dPoint& p) { m_V[i] = ON_3fPoint(p); }
  int AppendTriangle(int a, int b, int c);
  int AppendQuad(int a, int b, int c, int d);

  // Box of the vertices that pass IsValid; an invalid box when there are none.
  ON_BoundingBox BoundingBox() const override;
  // Transforms the vertex positions; normals keep their direction, which a
  // uniform scale or a rotation without reflection preserves.
  bool Transform(const ON_Xform& xform) override;
};
