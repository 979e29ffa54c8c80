// The full send of the large real document (large_file.h), opened once with
// the host's reading code (ReadModelFile), into the bridge beside the
// executable: the bridge stand-in (orvex_bench) or the one whose calls cost
// about a plain copy (orvex_bench_copy_bridge). It is timed against the plain
// copy of every array the bridge receives, as in BM_FullSend; goal 1.6.
//
// BM_FullSendScaling: the full send of generated documents of 1, 4 and 16
// times 625 objects (and 12 block definitions), to show that its cost per
// triangle stays the same as the document grows.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_document.h"
#include "bench/bench_exporter.h"
#include "bench/large_file.h"
#include "bench/send_shares.h"
#include "standin/host/model_file_reader.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Seconds;

constexpr double kSendGoal = 1.6;

// The arrays the bridge receives of a document read from a file, and the
// room for their plain copy.
struct SentArrays {
  std::vector<bench::SentMesh> meshes;
  std::size_t placements = 0;
  std::size_t triangles = 0;
  std::unique_ptr<char[]> target;
  std::size_t bytes = 0;
};

bench::SentMesh SentMeshOf(const ON_Mesh& mesh) {
  bench::SentMesh sent;
  sent.mesh = &mesh;
  const std::size_t v = static_cast<std::size_t>(mesh.VertexCount());
  sent.positionBytes = sent.normalBytes = 3 * v * sizeof(float);
  sent.uvBytes = 2 * v * sizeof(float);
  sent.indexBytes =
      3 * static_cast<std::size_t>(mesh.TriangleCount() + 2 * mesh.QuadCount()) * sizeof(int);
  return sent;
}

SentArrays SentArraysOf(const CRhinoDoc& doc) {
  SentArrays a;
  std::size_t references = 0;
  for (int i = 0; i < doc.StandinObjectCount(); ++i) {
    const CRhinoObject* object = doc.StandinObjectAt(i);
    if (object->ObjectType() == ON::instance_reference) ++references;
    if (object->ObjectType() != ON::mesh_object) continue;
    a.meshes.push_back(SentMeshOf(static_cast<const CRhinoMeshObject*>(object)->m_mesh));
    ++a.placements;
  }
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  std::size_t definitionMeshes = 0;
  for (int i = 0; i < table.InstanceDefinitionCount(); ++i) {
    for (int j = 0; j < table[i]->ObjectCount(); ++j) {
      const CRhinoObject* inside = table[i]->Object(j);
      if (inside->ObjectType() != ON::mesh_object) continue;
      a.meshes.push_back(SentMeshOf(static_cast<const CRhinoMeshObject*>(inside)->m_mesh));
      a.meshes.back().axes = common::MeshAxes::kModel;
      ++definitionMeshes;
    }
  }
  // One placement of each definition's meshes per reference; every
  // definition here holds one mesh.
  a.placements += references * (definitionMeshes > 0 ? 1 : 0);
  for (const bench::SentMesh& m : a.meshes) {
    a.bytes += m.Bytes();
    a.triangles += m.indexBytes / (3 * sizeof(int));
  }
  a.bytes += a.placements * 16 * sizeof(float);
  a.target.reset(new char[a.bytes]);
  std::memset(a.target.get(), 1, a.bytes);
  return a;
}

void PlainCopy(const SentArrays& a) {
  char* out = a.target.get();
  for (const bench::SentMesh& m : a.meshes) bench::CopySourceArrays(m, out);
  bench::CopyPlacements(a.placements, out);
  benchmark::ClobberMemory();
}

// Full sends of `doc` against the plain copy of what the bridge receives.
// The bridge stand-in's and the host's shares are timed apart, as in
// BM_FullSend: `ratio_plug_in_part` is the send less them, over the copy.
void TimeFullSends(benchmark::State& state, const CRhinoDoc& doc, const SentArrays& arrays) {
  bench::Exporter exporter;
  model_export::MeshBuffers buffers;
  const bench::CopiedBytesFn copiedBytes = bench::BridgeCopiedBytes();
  double copySeconds = 0, sendSeconds = 0, bridgeSeconds = 0, referenceSeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    PlainCopy(arrays);
    const std::uint64_t copiedBefore = copiedBytes ? copiedBytes() : 0;
    const auto t1 = Clock::now();
    exporter.SendFullModel(&doc);
    const auto t2 = Clock::now();
    exporter.DestroyModel();
    if (copiedBytes && copiedBytes() - copiedBefore < arrays.bytes)
      return state.SkipWithError("the bridge copied less than the send hands over");
    copySeconds += Seconds(t1 - t0);
    sendSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t2 - t1));
    referenceSeconds += bench::ReferenceLookUpSeconds(doc);
    bridgeSeconds +=
        bench::BridgeSeconds(doc, arrays.meshes, arrays.placements, exporter.Bridge(), buffers);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["send_ms"] = 1e3 * sendSeconds / n;
  state.counters["copy_ms"] = 1e3 * copySeconds / n;
  state.counters["ratio"] = sendSeconds / copySeconds;
  state.counters["bridge_ms"] = 1e3 * bridgeSeconds / n;
  state.counters["host_references_ms"] = 1e3 * referenceSeconds / n;
  state.counters["ratio_plug_in_part"] =
      (sendSeconds - bridgeSeconds - referenceSeconds) / copySeconds;
  state.counters["ns_per_triangle"] = 1e9 * sendSeconds / n / static_cast<double>(arrays.triangles);
  state.counters["triangles"] = static_cast<double>(arrays.triangles);
  state.counters["sent_MB"] = static_cast<double>(arrays.bytes) / 1e6;
}

void BM_LargeFileSend(benchmark::State& state) {
  const bench::LargeFile& large = bench::TheLargeFile();
  if (!large.written) return state.SkipWithError("the large .3dm file could not be written");
  const auto t0 = Clock::now();
  DocumentReadResult read = ReadModelFile(large.file.string());
  const double readSeconds = Seconds(Clock::now() - t0);
  if (!read.doc) return state.SkipWithError(("ReadModelFile failed: " + read.error).c_str());
  const SentArrays arrays = SentArraysOf(*read.doc);
  if (arrays.triangles != large.contents.triangles)
    return state.SkipWithError("the document read holds other meshes than the file");
  TimeFullSends(state, *read.doc, arrays);
  state.counters["read_model_file_ms"] = 1e3 * readSeconds;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(large.file)) / 1e6;
  state.counters["goal_ratio"] = kSendGoal;
}

void BM_FullSendScaling(benchmark::State& state) {
  bench::LargeDocumentShape shape;
  shape.objects = 625 * static_cast<int>(state.range(0));
  shape.definitions = 12 * static_cast<int>(state.range(0));
  shape.trianglesPerObject = 500;
  const bench::LargeDocument d = bench::BuildLargeDocument(shape);
  const SentArrays arrays = SentArraysOf(*d.doc);
  TimeFullSends(state, *d.doc, arrays);
}

}  // namespace

BENCHMARK(BM_LargeFileSend)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FullSendScaling)
    ->ArgName("times")
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
