#include "on_mesh.h"

namespace {

double SquaredDistance(const ON_3fPoint& a, const ON_3fPoint& b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace

int ON_Mesh::TriangleCount() const {
  int count = 0;
  for (const ON_MeshFace& f : m_F.Std()) count += f.IsTriangle() ? 1 : 0;
  return count;
}

int ON_Mesh::QuadCount() const { return FaceCount() - TriangleCount(); }

bool ON_Mesh::ConvertQuadsToTriangles() {
  const int faceCount = m_F.Count();
  const int vertexCount = m_V.Count();
  for (int fi = 0; fi < faceCount; ++fi) {
    ON_MeshFace f = m_F[fi];
    if (!f.IsQuad()) continue;
    bool split13 = false;
    bool inRange = true;
    for (int k = 0; k < 4; ++k) inRange = inRange && f.vi[k] >= 0 && f.vi[k] < vertexCount;
    if (inRange) {
      const double d02 = SquaredDistance(m_V[f.vi[0]], m_V[f.vi[2]]);
      const double d13 = SquaredDistance(m_V[f.vi[1]], m_V[f.vi[3]]);
      split13 = d13 < d02;
    }
    ON_MeshFace first, second;
    if (split13) {
      first.vi[0] = f.vi[0], first.vi[1] = f.vi[1], first.vi[2] = first.vi[3] = f.vi[3];
      second.vi[0] = f.vi[1], second.vi[1] = f.vi[2], second.vi[2] = second.vi[3] = f.vi[3];
    } else {
      first.vi[0] = f.vi[0], first.vi[1] = f.vi[1], first.vi[2] = first.vi[3] = f.vi[2];
      second.vi[0] = f.vi[0], second.vi[1] = f.vi[2], second.vi[2] = second.vi[3] = f.vi[3];
    }
    m_F[fi] = first;
    m_F.Append(second);
  }
  return QuadCount() == 0;
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
