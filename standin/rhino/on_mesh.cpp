#include "on_mesh.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

// The squared distance in double precision, summed x, y, then z.
double SquaredDistance(const ON_3fPoint& a, const ON_3fPoint& b) {
#if defined(__SSE2__) || defined(_M_X64)
  // The same operations in the same order, x and y side by side (read as one
  // unaligned 8-byte load: a point lies at any 4-byte boundary).
  const __m128d xyA =
      _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&a.x))));
  const __m128d xyB =
      _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&b.x))));
  const __m128d dxy = _mm_sub_pd(xyA, xyB);
  const __m128d squares = _mm_mul_pd(dxy, dxy);
  const double dz = double(a.z) - b.z;
  return (_mm_cvtsd_f64(squares) + _mm_cvtsd_f64(_mm_unpackhi_pd(squares, squares))) + dz * dz;
#else
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
  return dx * dx + dy * dy + dz * dz;
#endif
}

}  // namespace

int ON_Mesh::TriangleCount() const {
  int count = 0;
  for (const ON_MeshFace& f : m_F.Std()) count += f.IsTriangle() ? 1 : 0;
  return count;
}

int ON_Mesh::QuadCount() const { return FaceCount() - TriangleCount(); }

bool ON_Mesh::ConvertQuadsToTriangles() {
  // Each quad is split along its shorter diagonal (the 0-2 one on a tie, or
  // when a corner lies outside the vertex list): its first triangle takes the
  // quad's place, its second is appended after every face there was. The
  // faces grow once, to their final number, and are walked by pointer: the
  // split is called on meshes of millions of quads.
  std::vector<ON_MeshFace>& faces = m_F.Std();
  const std::size_t faceCount = faces.size();
  std::size_t quads = 0;
  for (const ON_MeshFace& f : faces) quads += f.IsQuad() ? 1 : 0;
  if (quads == 0) return true;
  faces.resize(faceCount + quads);
  ON_MeshFace* face = faces.data();
  ON_MeshFace* second = face + faceCount;
  const ON_3fPoint* vertices = m_V.Array();
  const unsigned vertexCount = static_cast<unsigned>(m_V.Count());
  for (ON_MeshFace* const end = face + faceCount; face != end; ++face) {
    const ON_MeshFace f = *face;
    if (!f.IsQuad()) continue;
    // A negative number, read unsigned, lies past every vertex list.
    const bool inRange = (static_cast<unsigned>(f.vi[0]) < vertexCount) &
                         (static_cast<unsigned>(f.vi[1]) < vertexCount) &
                         (static_cast<unsigned>(f.vi[2]) < vertexCount) &
                         (static_cast<unsigned>(f.vi[3]) < vertexCount);
    const bool split13 = inRange && SquaredDistance(vertices[f.vi[1]], vertices[f.vi[3]]) <
                                        SquaredDistance(vertices[f.vi[0]], vertices[f.vi[2]]);
    // Along 1-3: (0, 1, 3) and (1, 2, 3); along 0-2: (0, 1, 2) and (0, 2, 3).
    // Written as selections: which diagonal is shorter follows no pattern the
    // processor could guess.
    const int third = split13 ? f.vi[3] : f.vi[2];
    face->vi[2] = face->vi[3] = third;
    second->vi[0] = split13 ? f.vi[1] : f.vi[0];
    second->vi[1] = f.vi[2];
    second->vi[2] = second->vi[3] = f.vi[3];
    ++second;
  }
  return true;
}

int ON_Mesh::AppendTriangle(int a, int b, int c) {
  ON_MeshFace f;
  f.vi[0] = a, f.vi[1] = b, f.vi[2] = f.vi[3] = c;
  m_F.Append(f);
  return m_F.Count() - 1;
}

int ON_Mesh::AppendQuad(int a, int b, int c, int d) {
  ON_MeshFace f;
  f.vi[0] = a, f.vi[1] = b, f.vi[2] = c, f.vi[3] = d;
  m_F.Append(f);
  return m_F.Count() - 1;
}

ON_BoundingBox ON_Mesh::BoundingBox() const {
  ON_BoundingBox box;
  bool any = false;
  for (const ON_3fPoint& p : m_V.Std()) {
    if (!p.IsValid()) continue;
    box.Set(ON_3dPoint(p.x, p.y, p.z), any);
    any = true;
  }
  return box;
}

bool ON_Mesh::Transform(const ON_Xform& xform) {
  for (ON_3fPoint& p : m_V.Std()) p = ON_3fPoint(xform * ON_3dPoint(p.x, p.y, p.z));
  return true;
}
