// The full send and the model update of a generated document (2,000 mesh
// objects of 2,000 triangles, 200 block definitions with 50 references each,
// 100 materials) into the bridge beside the executable: the real bridge
// stand-in, its call log off (orvex_bench), or one whose calls cost about a
// plain copy (orvex_bench_copy_bridge, copy_bridge.cpp).
//
// The plain copy the send is compared with copies every byte the bridge
// receives as an array — each mesh's positions, normals, texture coordinates
// and indices, and the 16 floats of each placement — from the document's own
// arrays into one output area of that size, already in memory. Texts (ids,
// names, keys and records, under 1% of the bytes) are left out of the copy, so
// the ratio errs on the send's side. Goals: the send at most 1.6 times the copy
// (wall time, the conversion workers and the command thread on both cores),
// the plug-in's own share (the send less the bridge stand-in's and the host's
// shares) at most 1.2 times; the model update at most a full send. Peak
// memory is measured apart, in orvex_bench_memory, whose counting of every
// allocation would slow the send.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_document.h"
#include "bench/bench_exporter.h"
#include "bench/core_round_trip.h"
#include "bench/send_shares.h"
#include "common/renderer_frame.h"
#include "model_export/mesh_buffers.h"
#include "renderer_link/renderer_answers.h"

namespace {

using model_export::MeshBuffers;

using bench::Clock;
using bench::Seconds;

struct Fixture {
  bench::LargeDocument document;
  std::unique_ptr<bench::Exporter> exporter;
  // The benchmark's own handle on the bridge library the exporter loads.
  bridge::Bridge bridge;
  std::unique_ptr<char[]> copyTarget;
  // The bytes the bridge has copied, where it tells them (copy_bridge.cpp).
  bench::CopiedBytesFn copiedBytes = nullptr;
};

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    f->document = bench::BuildLargeDocument();
    f->exporter = std::make_unique<bench::Exporter>();
    f->bridge.TakeUp();
    const std::size_t bytes = f->document.SentBytes();
    f->copyTarget.reset(new char[bytes]);
    std::memset(f->copyTarget.get(), 1, bytes);
    f->copiedBytes = bench::BridgeCopiedBytes();
    return f;
  }();
  return *fixture;
}

// The plain copy of the bytes a send hands over: the mesh arrays of every
// sent mesh except those left out, then one 16-float placement per placement.
void PlainCopy(const Fixture& f, const std::vector<bool>* leftOut = nullptr,
               std::size_t placements = static_cast<std::size_t>(-1)) {
  char* out = f.copyTarget.get();
  const auto& meshes = f.document.sentMeshes;
  for (std::size_t i = 0; i < meshes.size(); ++i)
    if (!leftOut || !(*leftOut)[i]) bench::CopySourceArrays(meshes[i], out);
  if (placements == static_cast<std::size_t>(-1)) placements = f.document.placements;
  bench::CopyPlacements(placements, out);
  benchmark::ClobberMemory();
}

void BM_FullSend(benchmark::State& state) {
  Fixture& f = TheFixture();
  const bench::LargeDocument& d = f.document;
  MeshBuffers buffers;
  double copySeconds = 0, sendSeconds = 0, conversionSeconds = 0, referenceSeconds = 0,
         bridgeSeconds = 0;
  const double roundTripBefore = bench::CoreRoundTripNs();
  for (auto _ : state) {
    const auto t0 = Clock::now();
    PlainCopy(f);
    const std::uint64_t copiedBefore = f.copiedBytes ? f.copiedBytes() : 0;
    const auto t1 = Clock::now();
    f.exporter->SendFullModel(d.doc.get());
    const auto t2 = Clock::now();
    f.exporter->DestroyModel();
    if (f.copiedBytes && f.copiedBytes() - copiedBefore < d.SentBytes()) {
      state.SkipWithError("the bridge copied less than the send hands over");
      return;
    }
    copySeconds += Seconds(t1 - t0);
    sendSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t2 - t1));
    conversionSeconds += bench::ConversionSeconds(*d.doc, d.sentMeshes, buffers);
    referenceSeconds += bench::ReferenceLookUpSeconds(*d.doc);
    bridgeSeconds += bench::BridgeSeconds(*d.doc, d.sentMeshes, d.placements, f.bridge, buffers);
  }
  const double roundTripAfter = bench::CoreRoundTripNs();
  const double n = static_cast<double>(state.iterations());
  state.counters["send_ms"] = 1e3 * sendSeconds / n;
  // Where the system ran the two threads: the hand-over from core to core
  // decides much of the send (README, Figures).
  state.counters["core_round_trip_ns"] = (roundTripBefore + roundTripAfter) / 2;
  state.counters["copy_ms"] = 1e3 * copySeconds / n;
  state.counters["ratio"] = sendSeconds / copySeconds;
  state.counters["conversion_ms"] = 1e3 * conversionSeconds / n;
  state.counters["host_references_ms"] = 1e3 * referenceSeconds / n;
  state.counters["bridge_ms"] = 1e3 * bridgeSeconds / n;
  // The plug-in's part: the send less the bridge stand-in's and the host's
  // reference look-up, over the plain copy.
  state.counters["ratio_plug_in_part"] =
      (sendSeconds - bridgeSeconds - referenceSeconds) / copySeconds;
  state.counters["goal_ratio"] = 1.6;
  state.counters["goal_ratio_plug_in_part"] = 1.2;
  state.counters["ns_per_triangle"] = 1e9 * sendSeconds / n / static_cast<double>(d.triangles);
  state.counters["sent_MB"] = static_cast<double>(d.SentBytes()) / 1e6;
  state.counters["triangles"] = static_cast<double>(d.triangles);
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The update after hiding 1% of the mesh objects: they are withdrawn, the rest
// is sent again into the model of a full send made just before it, in each
// iteration. The update's own work is its time less the fixed wait of the
// connect wrapper, timed here on its own; goal: at most the full send's time.
void BM_ModelUpdate(benchmark::State& state) {
  Fixture& f = TheFixture();
  const bench::LargeDocument& d = f.document;
  const auto connectStart = Clock::now();
  renderer_link::ConnectRenderer(f.bridge);
  const double connectSeconds = Seconds(Clock::now() - connectStart);
  std::vector<bool> hidden(d.sentMeshes.size(), false);
  std::size_t hiddenCount = 0;
  for (std::size_t i = 0; i < d.meshObjects.size(); i += 100) {
    d.meshObjects[i]->StandinAttributes().SetMode(ON::hidden_object);
    hidden[i] = true;  // the mesh objects come first among the sent meshes
    ++hiddenCount;
  }
  double copySeconds = 0, updateSeconds = 0, cpuSeconds = 0, fullSendSeconds = 0;
  bool updated = true;
  for (auto _ : state) {
    const auto sendStart = Clock::now();
    f.exporter->SendFullModel(d.doc.get());
    fullSendSeconds += Seconds(Clock::now() - sendStart);
    const auto t0 = Clock::now();
    PlainCopy(f, &hidden, d.placements - hiddenCount);
    const auto t1 = Clock::now();
    const double cpu0 = ThreadCpuSeconds();
    updated = f.exporter->UpdateModel(d.doc.get()) && updated;
    cpuSeconds += ThreadCpuSeconds() - cpu0;
    const auto t2 = Clock::now();
    copySeconds += Seconds(t1 - t0);
    updateSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t2 - t1));
    f.exporter->DestroyModel();
  }
  for (CRhinoObject* object : d.meshObjects) object->StandinAttributes().SetMode(ON::normal_object);
  if (!updated) state.SkipWithError("the update did not run to its end");
  const double n = static_cast<double>(state.iterations());
  const double own = updateSeconds / n - connectSeconds;
  state.counters["update_ms"] = 1e3 * updateSeconds / n;
  state.counters["connect_ms"] = 1e3 * connectSeconds;
  state.counters["own_ms"] = 1e3 * own;
  state.counters["cpu_ms"] = 1e3 * cpuSeconds / n;
  state.counters["copy_ms"] = 1e3 * copySeconds / n;
  state.counters["own_ratio"] = own / (copySeconds / n);
  state.counters["full_send_ms"] = 1e3 * fullSendSeconds / n;
  state.counters["update_over_full_send"] = own / (fullSendSeconds / n);
  state.counters["goal_update_over_full_send"] = 1.0;
  state.counters["hidden"] = static_cast<double>(hiddenCount);
}

}  // namespace

BENCHMARK(BM_FullSend)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ModelUpdate)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
