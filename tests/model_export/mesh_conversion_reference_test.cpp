// The mesh conversion against the conversion written plainly: the whole mesh
// copied and split by the host's own ON_Mesh::ConvertQuadsToTriangles, then
// every entry appended in turn and the positions scaled. Random meshes of every size, with invalid
// vertices and normals, short normal and texture coordinate lists, quads among triangles and vertex
// numbers outside the list; large ones take the conversion's vector, run-at-a-time, shared-out and
// written-around-the-cache paths, and one set of buffers serves meshes of changing sizes, as in a
// send. Buffers must agree bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "model_export/mesh_buffers.h"
#include "model_export/wide_vectors.h"
#include "tests/model_export/test_meshes.h"

namespace {

using common::MeshAxes;
using model_export::MeshBuffers;

struct Plain {
  std::vector<float> positions, normals, uvs;
  std::vector<int> indices;
};

// The renderer's axes exchange x and y; the model's keep them.
MeshAxes AxesOf(bool exchange) { return exchange ? MeshAxes::kRenderer : MeshAxes::kModel; }

Plain PlainConversion(const ON_Mesh& mesh, double scale, bool exchange) {
  ON_Mesh copy(mesh);
  copy.ConvertQuadsToTriangles();
  Plain out;
  const int v = copy.m_V.Count();
  std::vector<bool> valid(static_cast<size_t>(v));
  for (int i = 0; i < v; ++i) {
    const ON_3fPoint& p = copy.m_V[i];
    auto scaled = [&](float c) { return static_cast<float>(static_cast<double>(c) * scale); };
    const bool ok = p.IsValid() && (std::isnan(scale) ||
                                    (ON_IsValidFloat(scaled(p.x)) && ON_IsValidFloat(scaled(p.y)) &&
                                     ON_IsValidFloat(scaled(p.z))));
    valid[static_cast<size_t>(i)] = ok;
    const float x = ok ? p.x : 0.0f, y = ok ? p.y : 0.0f, z = ok ? p.z : 0.0f;
    for (float c : {exchange ? y : x, exchange ? x : y, z})
      out.positions.push_back(static_cast<float>(static_cast<double>(c) * scale));
    const ON_3fVector* n = copy.m_N.At(i);
    if (!n || !n->IsValid()) {
      out.normals.insert(out.normals.end(), {0.0f, 0.0f, 1.0f});
    } else if (exchange) {
      out.normals.insert(out.normals.end(), {n->y, n->x, n->z});
    } else {
      out.normals.insert(out.normals.end(), {-n->x, -n->y, -n->z});
    }
    const ON_2fPoint* t = copy.m_T.At(i);
    out.uvs.push_back(t ? t->x : 0.0f);
    out.uvs.push_back(t ? -t->y : 0.0f);
  }
  for (int fi = 0; fi < copy.m_F.Count(); ++fi) {
    const ON_MeshFace& f = copy.m_F[fi];
    if (!f.IsTriangle()) continue;
    bool usable = true;
    for (int k = 0; k < 3; ++k)
      usable = usable && f.vi[k] >= 0 && f.vi[k] < v && valid[static_cast<size_t>(f.vi[k])];
    if (usable) out.indices.insert(out.indices.end(), f.vi, f.vi + 3);
  }
  return out;
}

template <class A, class B>
bool SameBits(const A& a, const B& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0);
}

void ExpectSame(const Plain& expected, const MeshBuffers& actual, const char* what) {
  EXPECT_TRUE(SameBits(expected.positions, actual.positions)) << what << ": positions";
  EXPECT_TRUE(SameBits(expected.normals, actual.normals)) << what << ": normals";
  EXPECT_TRUE(SameBits(expected.uvs, actual.uvs)) << what << ": texture coordinates";
  EXPECT_TRUE(SameBits(expected.indices, actual.indices)) << what << ": indices";
}

struct MeshShape {
  int vertices = 0;
  int faces = 0;
  double quadShare = 0;     // of the faces
  double invalidShare = 0;  // of the vertices and of the normals
  double strayShare = 0;    // of the faces: a vertex number outside the list
};

ON_Mesh RandomMesh(std::mt19937& random, const MeshShape& shape) {
  std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
  std::uniform_real_distribution<double> share(0.0, 1.0);
  const float kOdd[] = {std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(),
                        ON_UNSET_FLOAT,
                        ON_UNSET_POSITIVE_FLOAT,
                        3e38f,
                        -2e37f};
  std::uniform_int_distribution<int> odd(0, 5);
  auto value = [&] {
    return share(random) < shape.invalidShare ? kOdd[odd(random)] : coordinate(random);
  };
  ON_Mesh mesh;
  for (int i = 0; i < shape.vertices; ++i) {
    const bool bad = share(random) < shape.invalidShare;
    mesh.m_V.Append(bad ? ON_3fPoint(coordinate(random), value(), kOdd[odd(random)])
                        : ON_3fPoint(coordinate(random), coordinate(random), coordinate(random)));
  }
  // Normal and texture coordinate lists that are full, short, long or missing.
  std::uniform_int_distribution<int> listLength(0, shape.vertices + 3);
  const int normals = share(random) < 0.5 ? shape.vertices : listLength(random);
  for (int i = 0; i < normals; ++i)
    mesh.m_N.Append(share(random) < shape.invalidShare
                        ? ON_3fVector(value(), kOdd[odd(random)], 0)
                        : ON_3fVector(coordinate(random), coordinate(random), coordinate(random)));
  const int uvs = share(random) < 0.5 ? shape.vertices : listLength(random);
  for (int i = 0; i < uvs; ++i) mesh.m_T.Append(ON_2fPoint(coordinate(random), value()));
  std::uniform_int_distribution<int> vertex(0, std::max(0, shape.vertices - 1));
  std::uniform_int_distribution<int> stray(-3, shape.vertices + 3);
  for (int f = 0; f < shape.faces; ++f) {
    int vi[4];
    for (int& n : vi) n = share(random) < shape.strayShare ? stray(random) : vertex(random);
    if (share(random) < shape.quadShare && vi[2] != vi[3])
      model_export_test::AppendQuad(mesh, vi[0], vi[1], vi[2], vi[3]);
    else
      model_export_test::AppendTriangle(mesh, vi[0], vi[1], vi[2]);
  }
  return mesh;
}

constexpr double kScales[] = {100.0, 0.1, 2.54, std::numeric_limits<double>::quiet_NaN()};

TEST(MeshConversionReference, SmallRandomMeshesMatchBitForBit) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> size(0, 24);
  MeshBuffers buffers;  // one set for all, as in a send
  for (int round = 0; round < 3000; ++round) {
    MeshShape shape;
    shape.vertices = size(random);
    shape.faces = size(random);
    shape.quadShare = (round % 4) / 3.0;
    shape.invalidShare = round % 3 == 0 ? 0.0 : 0.15;
    shape.strayShare = round % 5 == 0 ? 0.1 : 0.0;
    const ON_Mesh mesh = RandomMesh(random, shape);
    const double scale = kScales[round % 4];
    const bool exchange = round % 2 == 0;
    SCOPED_TRACE(round);
    const Plain expected = PlainConversion(mesh, scale, exchange);
    ASSERT_EQ(
        model_export::ConvertMesh(mesh, common::RendererFrame(scale), AxesOf(exchange), buffers),
        !expected.indices.empty());
    if (!expected.indices.empty()) ExpectSame(expected, buffers, "ConvertMesh");
    if (HasFailure()) return;
  }
}

TEST(MeshConversionReference, LargeMeshesOfChangingSizesMatchBitForBit) {
  std::mt19937 random(23);
  MeshBuffers buffers;
  // Over 4 MiB of positions, many runs of faces for the quad split, and
  // sizes that grow, shrink and grow again in the same buffers.
  const MeshShape shapes[] = {
      {400000, 300000, 0.5, 0.0, 0.0},
      {3000, 9000, 1.0, 0.0, 0.0},
      {420000, 200000, 0.0, 0.0, 0.0},
      {400000, 250000, 0.3, 0.001, 0.001},
      {50000, 4096 * 3 + 1, 1.0, 0.0, 0.01},
      {430000, 500000, 0.02, 0.0, 0.0},
      // Over 4 MiB of indices from the first quad on, every face a quad and
      // then with faces left out.
      {200000, 380000, 1.0, 0.0, 0.0},
      {360000, 400000, 0.5, 0.0005, 0.001},
      // Over 4 MiB of indices and no quad, or a handful far apart: the whole
      // face list, or nearly, in the pass written around the cache.
      {300000, 400000, 0.0, 0.0, 0.0},
      {300000, 400000, 0.0, 0.0005, 0.001},
      {300000, 400000, 0.00002, 0.0, 0.0},
  };
  int round = 0;
  for (const MeshShape& shape : shapes) {
    const ON_Mesh mesh = RandomMesh(random, shape);
    const double scale = kScales[round % 4];
    const bool exchange = round % 2 == 1;
    SCOPED_TRACE(round++);
    const Plain expected = PlainConversion(mesh, scale, exchange);
    // On one thread, and shared out in parts of their own threads.
    for (unsigned threads : {1u, 3u, 8u}) {
      ASSERT_TRUE(model_export::ConvertMesh(mesh, common::RendererFrame(scale), AxesOf(exchange),
                                            buffers, threads));
      ExpectSame(expected, buffers, threads == 1 ? "one thread" : "parts");
    }
  }
  buffers.Release();
  EXPECT_EQ(buffers.positions.capacity(), 0u);
  EXPECT_EQ(buffers.indices.capacity(), 0u);
}

// Quads of every kind the host's split tells apart: corners on a small
// lattice (equal diagonals, corners at one point, bow ties), corners a hair
// from another corner on either side of the degenerate-edge bound, the
// same numbers again, numbers outside the list, unset and non-finite
// corners; half the meshes with double-precision vertices that differ from
// the single-precision ones in the last places.
ON_Mesh QuadKindsMesh(std::mt19937& random, int vertices, int faces) {
  std::uniform_int_distribution<int> lattice(0, 2), kind(0, 9), pick(0, vertices - 1);
  std::uniform_real_distribution<double> share(0.0, 1.0), coordinate(-50.0, 50.0);
  const double kHair[] = {0.0, 1e-12, 1e-10, ON_ZERO_TOLERANCE, 2.4e-10, 1e-9, 1e-7, 1e-6};
  std::uniform_int_distribution<int> hair(0, 7);
  const double unit = std::ldexp(1.0, std::uniform_int_distribution<int>(-3, 10)(random));
  ON_Mesh mesh;
  std::vector<ON_3dPoint> exact;
  for (int i = 0; i < vertices; ++i) {
    ON_3dPoint p(unit * lattice(random), unit * lattice(random), unit * lattice(random));
    const int k = kind(random);
    if (k == 7) p = ON_3dPoint(coordinate(random), coordinate(random), coordinate(random));
    if (k == 8 && i > 0) {
      p = exact[static_cast<size_t>(pick(random)) % exact.size()];
      p.x += kHair[hair(random)] * (p.x == 0 ? 1.0 : std::fabs(p.x));
    }
    exact.push_back(p);
    ON_3fPoint f(ON_3dPoint(p.x, p.y, p.z));
    if (k == 9) {
      const float kOdd[] = {ON_UNSET_FLOAT, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(), 3e38f};
      f.y = kOdd[lattice(random)];
      exact.back().y = f.y == ON_UNSET_FLOAT ? ON_UNSET_VALUE : f.y;
    }
    mesh.m_V.Append(f);
  }
  if (share(random) < 0.5) {
    for (const ON_3dPoint& p : exact) {
      // A last-place difference from the float, in either direction.
      const double nudge = share(random) < 0.5 ? 0.0 : (share(random) - 0.5) * 1e-7 * p.x;
      mesh.m_dV.Append(ON_3dPoint(p.x + (std::isfinite(nudge) ? nudge : 0.0), p.y, p.z));
    }
  }
  for (int f = 0; f < faces; ++f) {
    int vi[4];
    for (int& n : vi) n = share(random) < 0.02 ? vertices + 1 : pick(random);
    if (share(random) < 0.05) vi[3] = vi[0];  // a repeated number: stays a quad
    if (share(random) < 0.2 || vi[2] == vi[3])
      model_export_test::AppendTriangle(mesh, vi[0], vi[1], vi[2]);
    else
      model_export_test::AppendQuad(mesh, vi[0], vi[1], vi[2], vi[3]);
  }
  return mesh;
}

TEST(MeshConversionReference, QuadSplitIsTheHostsOwnInEveryUnitSystem) {
  std::mt19937 random(31);
  MeshBuffers buffers;
  int split[7] = {};
  int round = 0;
  for (unsigned u = 0; u <= 255; ++u) {
    const ON::LengthUnitSystem units = ON::LengthUnitSystemFromUnsigned(u);
    if (static_cast<unsigned>(units) != u) continue;
    CRhinoDoc doc;
    doc.SetModelUnits(ON_UnitSystem(units));
    const common::RendererFrame frame(&doc);
    for (int i = 0; i < 40; ++i, ++round) {
      // Small meshes, and one in each unit system large enough for the
      // passes written around the cache.
      const bool large = i == 0;
      const ON_Mesh mesh = QuadKindsMesh(random, large ? 3000 : 12, large ? 200000 : 16);
      for (int fi = 0; fi < mesh.m_F.Count(); ++fi)
        if (mesh.m_F[fi].IsValid(mesh.m_V.Count()) && mesh.m_F[fi].IsQuad())
          ++split[static_cast<int>(model_export::QuadSplitOf(mesh, mesh.m_F[fi]))];
      const bool exchange = round % 2 == 0;
      SCOPED_TRACE(::testing::Message() << "units " << u << ", round " << round);
      const Plain expected = PlainConversion(mesh, frame.Scale(), exchange);
      ASSERT_EQ(model_export::ConvertMesh(mesh, frame, AxesOf(exchange), buffers, large ? 4 : 1),
                !expected.indices.empty());
      if (!expected.indices.empty()) ExpectSame(expected, buffers, "ConvertMesh");
      if (HasFailure()) return;
    }
  }
  // Every outcome of the host's split came up, each many times.
  for (int kind = 0; kind < 7; ++kind) EXPECT_GT(split[kind], 20) << "split kind " << kind;
}

// A grid of quads, `columns` × `rows` cells `cell` wide, turned by `turn`
// radians about z, with a wave of height `wave` in z: the render mesh of a
// surface, whose quads' diagonals are equal or nearly so.
ON_Mesh QuadGrid(int columns, int rows, double cell, double turn, double wave) {
  ON_Mesh mesh;
  for (int j = 0; j <= rows; ++j)
    for (int i = 0; i <= columns; ++i)
      mesh.m_V.Append(ON_3fPoint(ON_3dPoint(cell * (i * std::cos(turn) - j * std::sin(turn)),
                                            cell * (i * std::sin(turn) + j * std::cos(turn)),
                                            wave * std::sin(0.3 * i) * std::cos(0.2 * j))));
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < columns; ++i) {
      const int a = j * (columns + 1) + i;
      model_export_test::AppendQuad(mesh, a, a + 1, a + columns + 2, a + columns + 1);
    }
  return mesh;
}

// Grids convert as the host splits them, 128-bit vectors or wider; the wider
// take eight quads of a plain grid at a time, their diagonals ordered
// by float squares, double squares or equal magnitudes, and leave a grid of
// cells near the degenerate bound to the narrow path.
TEST(MeshConversionReference, GridsMatchBitForBit) {
  struct Grid {
    double cell, turn, wave;
    bool eightAtATime;
  } const grids[] = {
      {1.0, 0.0, 0.0, true},       // rectangles: equal magnitudes
      {1.0, 0.0, 0.05, true},      // waved: double squares, most by float ones
      {0.01, 0.52, 0.0005, true},  // turned
      {3e-10, 0.0, 0.0, false},    // edges near the degenerate bound
  };
  MeshBuffers buffers;
  for (const Grid& grid : grids) {
    SCOPED_TRACE(::testing::Message() << "cell " << grid.cell << ", turn " << grid.turn);
    const ON_Mesh mesh = QuadGrid(400, 400, grid.cell, grid.turn, grid.wave);
    const Plain expected = PlainConversion(mesh, 100.0, true);
    for (unsigned threads : {1u, 2u}) {
      ASSERT_TRUE(model_export::ConvertMesh(mesh, common::RendererFrame(100.0), MeshAxes::kRenderer,
                                            buffers, threads));
      ExpectSame(expected, buffers, "ConvertMesh");
    }
    if (!model_export::WideVectorsRun()) continue;
    int taken = 0, firsts[24], seconds[24];
    for (int f = 0; f + 8 <= mesh.m_F.Count(); f += 8)
      taken += model_export::SplitEightQuads(mesh.m_F.Array() + f, mesh.m_V.Array(),
                                             mesh.m_V.Count(), firsts, seconds);
    // All but the last eight, which read past the last vertex.
    EXPECT_EQ(taken, grid.eightAtATime ? mesh.m_F.Count() / 8 - 1 : 0);
  }
}

}  // namespace
