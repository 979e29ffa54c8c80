#include "import_mesh.h"

#include <assimp/mesh.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "standin/host/sdk_values.h"

namespace {

// Polygons with more corners than this are split as a fan: clipping ears
// costs the cube of the corner count.
constexpr size_t kMaxEarClipCorners = 256;

double Apply(const double* row, double x, double y, double z, double w) {
  double sum = 0.0;
  if (row[0] != 0.0) sum += row[0] * x;
  if (row[1] != 0.0) sum += row[1] * y;
  if (row[2] != 0.0) sum += row[2] * z;
  if (row[3] != 0.0) sum += row[3] * w;
  return sum;
}

double Length(const ON_3dVector& v) { return std::sqrt(v * v); }

// Twice the signed area of the 2D triangle (a, b, c).
double Cross2(const double* a, const double* b, const double* c) {
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

bool SamePlace(const double* a, const double* b) { return a[0] == b[0] && a[1] == b[1]; }

std::vector<std::array<int, 3>> Fan(const std::vector<int>& corners) {
  std::vector<std::array<int, 3>> triangles;
  for (size_t i = 1; i + 1 < corners.size(); ++i)
    triangles.push_back({corners[0], corners[i], corners[i + 1]});
  return triangles;
}

}  // namespace

ON_Xform XformFromAssimp(const aiMatrix4x4& m) {
  ON_Xform x;
  const ai_real* values[4] = {&m.a1, &m.b1, &m.c1, &m.d1};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) x.m_xform[i][j] = static_cast<double>(values[i][j]);
  return x;
}

ON_3dPoint TransformPoint(const ON_Xform& x, const ON_3dPoint& p) {
  const double w = Apply(x.m_xform[3], p.x, p.y, p.z, 1.0);
  const double scale = (w != 0.0 && w != 1.0) ? 1.0 / w : 1.0;
  return ON_3dPoint(scale * Apply(x.m_xform[0], p.x, p.y, p.z, 1.0),
                    scale * Apply(x.m_xform[1], p.x, p.y, p.z, 1.0),
                    scale * Apply(x.m_xform[2], p.x, p.y, p.z, 1.0));
}

ON_3dVector TransformVector(const ON_Xform& x, const ON_3dVector& v) {
  return ON_3dVector(Apply(x.m_xform[0], v.x, v.y, v.z, 0.0),
                     Apply(x.m_xform[1], v.x, v.y, v.z, 0.0),
                     Apply(x.m_xform[2], v.x, v.y, v.z, 0.0));
}

double LinearDeterminant(const ON_Xform& x) {
  const auto& m = x.m_xform;
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

ON_Xform NormalXform(const ON_Xform& x) {
  // The cofactor matrix is det * inverse transpose; its sign is corrected so
  // that a mirror keeps normals on the outside. A flattening transform (det 0)
  // still has cofactors that point off the plane it flattens onto.
  const auto& m = x.m_xform;
  ON_Xform c(1.0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      c.m_xform[i][j] = m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];
    }
  if (LinearDeterminant(x) < 0.0)
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) c.m_xform[i][j] = -c.m_xform[i][j];
  return c;
}

bool HasSurfaceFaces(const aiMesh& mesh) {
  if (!mesh.mFaces) return false;
  for (unsigned f = 0; f < mesh.mNumFaces; ++f)
    if (mesh.mFaces[f].mNumIndices >= 3) return true;
  return false;
}

std::vector<std::array<int, 3>> TriangulatePolygon(const std::vector<ON_3dPoint>& corners) {
  const size_t n = corners.size();
  std::vector<int> remaining(n);
  for (size_t i = 0; i < n; ++i) remaining[i] = static_cast<int>(i);
  if (n < 3) return {};
  if (n == 3) return {{0, 1, 2}};

  // Newell's normal gives the plane and the winding.
  ON_3dVector normal = ON_3dVector::ZeroVector;
  bool valid = n <= kMaxEarClipCorners;
  for (size_t i = 0; i < n && valid; ++i) {
    const ON_3dPoint& p = corners[i];
    const ON_3dPoint& q = corners[(i + 1) % n];
    valid = p.IsValid();
    normal.x += (p.y - q.y) * (p.z + q.z);
    normal.y += (p.z - q.z) * (p.x + q.x);
    normal.z += (p.x - q.x) * (p.y + q.y);
  }
  const double ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
  if (!valid || !normal.IsValid() || (ax == 0.0 && ay == 0.0 && az == 0.0)) return Fan(remaining);

  // Drop the normal's largest coordinate; the other two, in cyclic order,
  // give the polygon the normal's orientation.
  const int drop = (ax >= ay && ax >= az) ? 0 : (ay >= az ? 1 : 2);
  const double sign = (drop == 0 ? normal.x : drop == 1 ? normal.y : normal.z) > 0 ? 1.0 : -1.0;
  std::vector<std::array<double, 2>> flat(n);
  for (size_t i = 0; i < n; ++i) {
    const ON_3dPoint& p = corners[i];
    flat[i] = drop == 0   ? std::array<double, 2>{p.y, p.z}
              : drop == 1 ? std::array<double, 2>{p.z, p.x}
                          : std::array<double, 2>{p.x, p.y};
  }

  std::vector<std::array<int, 3>> triangles;
  while (remaining.size() > 3) {
    const size_t m = remaining.size();
    bool clipped = false;
    for (size_t i = 0; i < m && !clipped; ++i) {
      const int a = remaining[(i + m - 1) % m], b = remaining[i], c = remaining[(i + 1) % m];
      const double* pa = flat[a].data();
      const double* pb = flat[b].data();
      const double* pc = flat[c].data();
      if (sign * Cross2(pa, pb, pc) <= 0.0) continue;  // reflex or flat corner
      // No other corner may lie inside the ear or on its edges (a reflex
      // corner on the new edge would let the ear cross the outline); a corner
      // at the same place as one of the ear's own does not count.
      bool empty = true;
      for (size_t k = 0; k < m && empty; ++k) {
        const int o = remaining[k];
        if (o == a || o == b || o == c) continue;
        const double* po = flat[o].data();
        if (SamePlace(po, pa) || SamePlace(po, pb) || SamePlace(po, pc)) continue;
        empty = !(sign * Cross2(pa, pb, po) >= 0.0 && sign * Cross2(pb, pc, po) >= 0.0 &&
                  sign * Cross2(pc, pa, po) >= 0.0);
      }
      if (!empty) continue;
      triangles.push_back({a, b, c});
      remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
      clipped = true;
    }
    if (!clipped) {
      // No ear left (a self-touching or degenerate rest): fan what remains.
      for (const auto& t : Fan(remaining)) triangles.push_back(t);
      return triangles;
    }
  }
  triangles.push_back({remaining[0], remaining[1], remaining[2]});
  return triangles;
}

void ComputeVertexNormals(ON_Mesh& mesh) {
  const int vertexCount = mesh.m_V.Count();
  std::vector<ON_3dVector> sums(static_cast<size_t>(vertexCount));
  auto point = [&](int i) {
    const ON_3fPoint& p = mesh.m_V[i];
    return ON_3dPoint(p.x, p.y, p.z);
  };
  for (int fi = 0; fi < mesh.m_F.Count(); ++fi) {
    const ON_MeshFace& face = mesh.m_F[fi];
    const int corners = face.IsTriangle() ? 3 : 4;
    bool usable = true;
    for (int k = 0; k < corners; ++k)
      usable =
          usable && face.vi[k] >= 0 && face.vi[k] < vertexCount && mesh.m_V[face.vi[k]].IsValid();
    if (!usable) continue;
    const ON_3dVector n = corners == 3 ? ON_CrossProduct(point(face.vi[1]) - point(face.vi[0]),
                                                         point(face.vi[2]) - point(face.vi[0]))
                                       : ON_CrossProduct(point(face.vi[2]) - point(face.vi[0]),
                                                         point(face.vi[3]) - point(face.vi[1]));
    for (int k = 0; k < corners; ++k) {
      ON_3dVector& sum = sums[static_cast<size_t>(face.vi[k])];
      sum = sum + n;
    }
  }
  mesh.m_N.Empty();
  mesh.m_N.Reserve(vertexCount);
  for (ON_3dVector& sum : sums) {
    sum.Unitize();
    mesh.m_N.Append(ON_3fVector(static_cast<float>(sum.x), static_cast<float>(sum.y),
                                static_cast<float>(sum.z)));
  }
}

ON_Mesh MeshFromAssimp(const aiMesh& mesh, const ON_Xform& xform) {
  ON_Mesh out;
  const int vertexCount = static_cast<int>(mesh.mNumVertices);
  out.m_V.Reserve(vertexCount);
  for (int i = 0; i < vertexCount && mesh.mVertices; ++i) {
    const aiVector3D& v = mesh.mVertices[i];
    out.m_V.Append(ON_3fPoint(TransformPoint(xform, ON_3dPoint(v.x, v.y, v.z))));
  }

  if (mesh.mNormals) {
    const ON_Xform normalXform = NormalXform(xform);
    out.m_N.Reserve(vertexCount);
    for (int i = 0; i < vertexCount; ++i) {
      const aiVector3D& v = mesh.mNormals[i];
      const ON_3dVector n(v.x, v.y, v.z);
      ON_3dVector t = TransformVector(normalXform, n);
      const double before = Length(n), after = Length(t);
      if (std::isfinite(before) && after > 0.0 && std::isfinite(after)) t = t * (before / after);
      out.m_N.Append(
          ON_3fVector(static_cast<float>(t.x), static_cast<float>(t.y), static_cast<float>(t.z)));
    }
  }

  if (const aiVector3D* uvs = mesh.mTextureCoords[0]) {
    out.m_T.Reserve(vertexCount);
    for (int i = 0; i < vertexCount; ++i) out.m_T.Append(ON_2fPoint(uvs[i].x, uvs[i].y));
  }

  const bool mirror = LinearDeterminant(xform) < 0.0;
  auto triangle = [&](int a, int b, int c) {
    if (mirror)
      host::AppendFace(out, a, c, b, b);
    else
      host::AppendFace(out, a, b, c, c);
  };
  out.m_F.Reserve(static_cast<int>(mesh.mNumFaces));
  for (unsigned f = 0; f < mesh.mNumFaces && mesh.mFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    const unsigned count = face.mNumIndices;
    if (count < 3 || !face.mIndices) continue;
    auto index = [&](unsigned k) { return static_cast<int>(face.mIndices[k]); };
    if (count == 3) {
      triangle(index(0), index(1), index(2));
    } else if (count == 4) {
      if (mirror)
        host::AppendFace(out, index(0), index(3), index(2), index(1));
      else
        host::AppendFace(out, index(0), index(1), index(2), index(3));
    } else {
      std::vector<ON_3dPoint> corners(count);
      for (unsigned k = 0; k < count; ++k) {
        const int i = index(k);
        if (i >= 0 && i < vertexCount) {
          const ON_3fPoint& p = out.m_V[i];
          corners[k] = ON_3dPoint(p.x, p.y, p.z);
        } else {
          const double nan = std::numeric_limits<double>::quiet_NaN();
          corners[k] = ON_3dPoint(nan, nan, nan);
        }
      }
      for (const auto& t : TriangulatePolygon(corners))
        triangle(index(static_cast<unsigned>(t[0])), index(static_cast<unsigned>(t[1])),
                 index(static_cast<unsigned>(t[2])));
    }
  }

  if (!mesh.mNormals) ComputeVertexNormals(out);
  return out;
}
