// Mesh conversion of a 1-million-vertex mesh (positions, normals, texture
// coordinates), all triangles and all quads, against a plain copy (memcpy) of
// the same input arrays into output arrays of the same size. Both run in each
// iteration, one after the other, so the ratio compares figures of one run.
//
// warm: the conversion reuses its buffers from the previous mesh, as the
// exporter does from mesh to mesh, and the copy writes into arrays that are
// already in memory; goals 1.5 times the copy with quads, 1.0 with triangles,
// for the conversion on the threads a send gives one large mesh (the copy runs
// on one). The conversion on one thread is shown beside it.
// cold: both write into freshly allocated arrays.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_document.h"
#include "common/renderer_frame.h"
#include "model_export/mesh_buffers.h"
#include "model_export/mesh_pipeline.h"

namespace {

using model_export::MeshBuffers;

// The threads a send converts one large mesh on, on this machine.
unsigned SendThreads() {
  static const unsigned kThreads =
      model_export::MeshConverter::ThreadsPerMesh(std::thread::hardware_concurrency());
  return kThreads;
}

// An object's mesh, as a send converts it: on one thread, or on as many as a
// send gives one large mesh.
bool ConvertMesh(const ON_Mesh& mesh, double scale, MeshBuffers& buffers, bool allThreads) {
  return model_export::ConvertMesh(mesh, common::RendererFrame(scale), common::MeshAxes::kRenderer,
                                   buffers, allThreads ? SendThreads() : 1);
}

using bench::Clock;
using bench::Seconds;

// 1000 × 1000 vertices.
constexpr int kCells = 999;
constexpr double kScale = 100.0;  // metres to centimetres

const ON_Mesh& InputMesh(bool quads) {
  static const ON_Mesh triangles = bench::GridMesh(kCells, kCells, false);
  static const ON_Mesh quadMesh = bench::GridMesh(kCells, kCells, true);
  return quads ? quadMesh : triangles;
}

struct InputArrays {
  const void* data[4];
  std::size_t bytes[4];
  std::size_t Total() const { return bytes[0] + bytes[1] + bytes[2] + bytes[3]; }
};

InputArrays ArraysOf(const ON_Mesh& mesh) {
  InputArrays a;
  a.data[0] = mesh.m_V.Array();
  a.bytes[0] = static_cast<std::size_t>(mesh.m_V.Count()) * sizeof(ON_3fPoint);
  a.data[1] = mesh.m_N.Array();
  a.bytes[1] = static_cast<std::size_t>(mesh.m_N.Count()) * sizeof(ON_3fVector);
  a.data[2] = mesh.m_T.Array();
  a.bytes[2] = static_cast<std::size_t>(mesh.m_T.Count()) * sizeof(ON_2fPoint);
  a.data[3] = mesh.m_F.Array();
  a.bytes[3] = static_cast<std::size_t>(mesh.m_F.Count()) * sizeof(ON_MeshFace);
  return a;
}

// The goals of the warm conversion, as a multiple of the plain copy: all
// quads, split on the way, and all triangles.
constexpr double kQuadGoal = 1.5;
constexpr double kTriangleGoal = 1.0;

void ReportRatio(benchmark::State& state, double copySeconds, double convertSeconds, bool quads,
                 bool allThreads, const InputArrays& input, const MeshBuffers& buffers) {
  const double n = static_cast<double>(state.iterations());
  state.counters["copy_ms"] = 1e3 * copySeconds / n;
  state.counters["convert_ms"] = 1e3 * convertSeconds / n;
  state.counters["ratio"] = convertSeconds / copySeconds;
  // The goals are the send's: its threads on the one mesh.
  if (allThreads) state.counters["goal_ratio"] = quads ? kQuadGoal : kTriangleGoal;
  state.counters["threads"] = allThreads ? SendThreads() : 1;
  state.counters["copy_GBps"] = static_cast<double>(input.Total()) * n / copySeconds / 1e9;
  state.counters["triangles"] = static_cast<double>(buffers.indices.size() / 3);
}

void BM_MeshConversionWarm(benchmark::State& state) {
  const bool quads = state.range(0) != 0;
  const bool allThreads = state.range(1) != 0;
  const ON_Mesh& mesh = InputMesh(quads);
  const InputArrays input = ArraysOf(mesh);
  std::vector<std::unique_ptr<char[]>> outputs;
  for (std::size_t bytes : input.bytes) {
    outputs.emplace_back(new char[bytes]);
    std::memset(outputs.back().get(), 1, bytes);
  }
  MeshBuffers buffers;
  ConvertMesh(mesh, kScale, buffers, allThreads);  // buffers sized as by an earlier mesh
  double copySeconds = 0, convertSeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    for (int i = 0; i < 4; ++i) std::memcpy(outputs[i].get(), input.data[i], input.bytes[i]);
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    const bool sent = ConvertMesh(mesh, kScale, buffers, allThreads);
    benchmark::DoNotOptimize(sent);
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    copySeconds += Seconds(t1 - t0);
    convertSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t2 - t1));
  }
  ReportRatio(state, copySeconds, convertSeconds, quads, allThreads, input, buffers);
}

void BM_MeshConversionCold(benchmark::State& state) {
  const bool quads = state.range(0) != 0;
  const ON_Mesh& mesh = InputMesh(quads);
  const InputArrays input = ArraysOf(mesh);
  double copySeconds = 0, convertSeconds = 0;
  std::size_t triangles = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    {
      std::unique_ptr<char[]> outputs[4];
      for (int i = 0; i < 4; ++i) {
        outputs[i].reset(new char[input.bytes[i]]);
        std::memcpy(outputs[i].get(), input.data[i], input.bytes[i]);
      }
      benchmark::ClobberMemory();
    }
    const auto t1 = Clock::now();
    {
      MeshBuffers buffers;
      const bool sent = ConvertMesh(mesh, kScale, buffers, true);
      benchmark::DoNotOptimize(sent);
      benchmark::ClobberMemory();
      triangles = buffers.indices.size() / 3;
    }
    const auto t2 = Clock::now();
    copySeconds += Seconds(t1 - t0);
    convertSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t2 - t1));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["copy_ms"] = 1e3 * copySeconds / n;
  state.counters["convert_ms"] = 1e3 * convertSeconds / n;
  state.counters["ratio"] = convertSeconds / copySeconds;
  state.counters["triangles"] = static_cast<double>(triangles);
}

}  // namespace

// Arguments: 0 all triangles, 1 all quads; on one thread (0) or on the
// threads a send gives one large mesh (1), whose figures have the goals.
BENCHMARK(BM_MeshConversionWarm)
    ->ArgNames({"quads", "send_threads"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK(BM_MeshConversionCold)
    ->ArgName("quads")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
