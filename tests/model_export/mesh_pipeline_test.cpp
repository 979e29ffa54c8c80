// The conversion pipeline against the conversion on the calling thread: many
// meshes of every size, in groups and alone, through several runs of one
// converter with workers, the large ones shared out in parts on threads of
// their own, each taken in order with the same buffers.
#include "model_export/mesh_pipeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/model_export/test_meshes.h"

namespace model_export_test {
namespace {

using model_export::ConversionRun;
using model_export::ConvertMesh;
using model_export::MeshBuffers;
using model_export::MeshConverter;
using model_export::MeshJob;

template <class A>
bool SameBytes(const A& a, const A& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0);
}

// A strip of `cells` quads or triangle pairs.
ON_Mesh Strip(int cells, bool quads) {
  ON_Mesh mesh;
  for (int i = 0; i <= cells; ++i) {
    mesh.m_V.Append(ON_3fPoint(static_cast<float>(i), 0, 0.1f * static_cast<float>(i % 5)));
    mesh.m_V.Append(ON_3fPoint(static_cast<float>(i), 1.5f, 0));
  }
  for (int i = 0; i < cells; ++i) {
    const int a = 2 * i;
    if (quads) {
      AppendQuad(mesh, a, a + 2, a + 3, a + 1);
    } else {
      AppendTriangle(mesh, a, a + 2, a + 3);
      AppendTriangle(mesh, a, a + 3, a + 1);
    }
  }
  return mesh;
}

TEST(MeshPipeline, EveryRunGivesEachConversionInOrder) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> cells(0, 3000);
  std::vector<ON_Mesh> meshes;
  for (int i = 0; i < 300; ++i)
    meshes.push_back(Strip(i % 50 == 7 ? 150000 : cells(random), i % 3 == 0));
  const common::RendererFrame frame(2.54);
  MeshConverter converter(2, 3);
  for (std::size_t first : {std::size_t{0}, std::size_t{120}, std::size_t{299}}) {
    std::vector<MeshJob> jobs;
    for (std::size_t i = first; i < meshes.size(); ++i)
      jobs.push_back({&meshes[i], i % 2 ? common::MeshAxes::kModel : common::MeshAxes::kRenderer});
    ConversionRun run(converter, frame, jobs);
    for (const MeshJob& job : jobs) {
      MeshBuffers expected;
      const bool sendable = ConvertMesh(*job.mesh, frame, job.axes, expected);
      const model_export::ConvertedMesh& actual = run.Next();
      ASSERT_EQ(actual.sendable, sendable);
      if (!sendable) continue;
      ASSERT_TRUE(SameBytes(actual.buffers.positions, expected.positions));
      ASSERT_TRUE(SameBytes(actual.buffers.normals, expected.normals));
      ASSERT_TRUE(SameBytes(actual.buffers.uvs, expected.uvs));
      ASSERT_TRUE(SameBytes(actual.buffers.indices, expected.indices));
    }
  }
  // A run left before its end waits for the conversions under way.
  {
    std::vector<MeshJob> jobs;
    for (const ON_Mesh& mesh : meshes) jobs.push_back({&mesh, common::MeshAxes::kRenderer});
    ConversionRun run(converter, frame, jobs);
    EXPECT_EQ(run.Next().buffers.positions.size(),
              3u * static_cast<unsigned>(meshes[0].m_V.Count()));
  }
  converter.Release();
}

// A large mesh, which one worker takes up, still has every core.
TEST(MeshPipeline, TheCoresAreSharedAmongTheWorkers) {
  const struct {
    unsigned cores, workers, threads;
  } kRows[] = {{0, 0, 1}, {1, 0, 1}, {2, 1, 2}, {4, 3, 2}, {8, 3, 3}, {32, 3, 11}};
  for (const auto& row : kRows) {
    EXPECT_EQ(MeshConverter::WorkersFor(row.cores), row.workers) << row.cores;
    EXPECT_EQ(MeshConverter::ThreadsPerMesh(row.cores), row.threads) << row.cores;
  }
}

}  // namespace
}  // namespace model_export_test
