// The full send and the model update of a generated document (2,000 mesh
// objects of 2,000 triangles, 200 block definitions with 50 references each,
// 100 materials) into the real bridge stand-in, its call log off.
//
// The plain copy the send is compared with copies every byte the bridge
// receives as an array — each mesh's positions, normals, texture coordinates
// and indices, and the 16 floats of each placement — from the document's own
// arrays into one output area of that size, already in memory. Texts (ids,
// names, keys and records, under 1% of the bytes) are left out of the copy, so
// the ratio errs on the send's side.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_document.h"
#include "bench/heap_accounting.h"
#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "export/model_exporter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Fixture {
  bench::LargeDocument document;
  std::int64_t documentBytes = 0;  // heap bytes the generated document holds
  std::unique_ptr<ModelExporter> exporter;
  std::unique_ptr<char[]> copyTarget;
};

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    const std::int64_t before = heap::Now().plugInLive;
    f->document = bench::BuildLargeDocument();
    f->documentBytes = heap::Now().plugInLive - before;
    f->exporter = std::make_unique<ModelExporter>();
    const std::size_t bytes = f->document.SentBytes();
    f->copyTarget.reset(new char[bytes]);
    std::memset(f->copyTarget.get(), 1, bytes);
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
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    if (leftOut && (*leftOut)[i]) continue;
    const bench::SentMesh& m = meshes[i];
    std::memcpy(out, m.mesh->m_V.Array(), m.positionBytes);
    out += m.positionBytes;
    std::memcpy(out, m.mesh->m_N.Array(), m.normalBytes);
    out += m.normalBytes;
    std::memcpy(out, m.mesh->m_T.Array(), m.uvBytes);
    out += m.uvBytes;
    std::memcpy(out, m.mesh->m_F.Array(), m.indexBytes);
    out += m.indexBytes;
  }
  if (placements == static_cast<std::size_t>(-1)) placements = f.document.placements;
  const float source[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (std::size_t i = 0; i < placements; ++i) {
    std::memcpy(out, source, sizeof source);
    out += sizeof source;
  }
  benchmark::ClobberMemory();
}

void DestroyModel(ModelExporter& exporter) {
  ORVEX_BRIDGE_CALL(exporter.Bridge(), DestroyModel, exporter.Model());
  exporter.SetModel(0);
}

void BM_FullSend(benchmark::State& state) {
  Fixture& f = TheFixture();
  const bench::LargeDocument& d = f.document;
  double copySeconds = 0, sendSeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    PlainCopy(f);
    const auto t1 = Clock::now();
    f.exporter->SendFullModel(d.doc.get());
    const auto t2 = Clock::now();
    DestroyModel(*f.exporter);
    copySeconds += Seconds(t1 - t0);
    sendSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t2 - t1));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["send_ms"] = 1e3 * sendSeconds / n;
  state.counters["copy_ms"] = 1e3 * copySeconds / n;
  state.counters["ratio"] = sendSeconds / copySeconds;
  state.counters["ns_per_triangle"] = 1e9 * sendSeconds / n / static_cast<double>(d.triangles);
  state.counters["sent_MB"] = static_cast<double>(d.SentBytes()) / 1e6;
  state.counters["triangles"] = static_cast<double>(d.triangles);
}

// Peak heap during one full send. The plug-in side's peak is compared with
// the document plus twice the largest mesh's buffers; the process's peak also
// holds what the bridge stand-in keeps of the model.
void BM_FullSendPeakMemory(benchmark::State& state) {
  Fixture& f = TheFixture();
  const bench::LargeDocument& d = f.document;
  if (!heap::StartAttribution("/OrvexPlugin.so")) {
    state.SkipWithError("the bridge library is not loaded");
    return;
  }
  heap::Counts before, after;
  for (auto _ : state) {
    before = heap::Now();
    heap::ResetPeak();
    f.exporter->SendFullModel(d.doc.get());
    after = heap::Now();
    DestroyModel(*f.exporter);
  }
  heap::StopAttribution();
  const double mb = 1e6;
  const std::int64_t transient = after.plugInPeak - before.plugInLive;
  const std::int64_t largest = static_cast<std::int64_t>(d.LargestMeshBytes());
  state.counters["document_MB"] = static_cast<double>(f.documentBytes) / mb;
  state.counters["largest_mesh_KB"] = static_cast<double>(largest) / 1e3;
  state.counters["peak_MB"] = static_cast<double>(f.documentBytes + transient) / mb;
  state.counters["peak_over_document_KB"] = static_cast<double>(transient) / 1e3;
  state.counters["budget_MB"] = static_cast<double>(f.documentBytes + 2 * largest) / mb;
  state.counters["within_budget"] = transient <= 2 * largest ? 1 : 0;
  state.counters["bridge_holds_MB"] =
      static_cast<double>(after.bridgeLive - before.bridgeLive) / mb;
  state.counters["process_peak_over_document_MB"] =
      static_cast<double>(after.processPeak - before.plugInLive - before.bridgeLive) / mb;
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The update after hiding 1% of the mesh objects: they are withdrawn, the rest
// is sent again into the model of the full send. The update's own work is its
// time less the fixed wait of the connect wrapper, timed here on its own.
void BM_ModelUpdate(benchmark::State& state) {
  Fixture& f = TheFixture();
  const bench::LargeDocument& d = f.document;
  const auto connectStart = Clock::now();
  bridge::Connect(f.exporter->Bridge());
  const double connectSeconds = Seconds(Clock::now() - connectStart);
  f.exporter->SendFullModel(d.doc.get());
  std::vector<bool> hidden(d.sentMeshes.size(), false);
  std::size_t hiddenCount = 0;
  for (std::size_t i = 0; i < d.meshObjects.size(); i += 100) {
    d.meshObjects[i]->StandinAttributes().m_mode = ON::object_mode::hidden_object;
    hidden[i] = true;  // the mesh objects come first among the sent meshes
    ++hiddenCount;
  }
  double copySeconds = 0, updateSeconds = 0, cpuSeconds = 0;
  bool updated = true;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    PlainCopy(f, &hidden, d.placements - hiddenCount);
    const auto t1 = Clock::now();
    const double cpu0 = ThreadCpuSeconds();
    updated = f.exporter->SendModelUpdate(d.doc.get()) && updated;
    cpuSeconds += ThreadCpuSeconds() - cpu0;
    const auto t2 = Clock::now();
    copySeconds += Seconds(t1 - t0);
    updateSeconds += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t2 - t1));
  }
  for (CRhinoObject* object : d.meshObjects)
    object->StandinAttributes().m_mode = ON::object_mode::normal_object;
  DestroyModel(*f.exporter);
  if (!updated) state.SkipWithError("the update did not run to its end");
  const double n = static_cast<double>(state.iterations());
  const double own = updateSeconds / n - connectSeconds;
  state.counters["update_ms"] = 1e3 * updateSeconds / n;
  state.counters["connect_ms"] = 1e3 * connectSeconds;
  state.counters["own_ms"] = 1e3 * own;
  state.counters["cpu_ms"] = 1e3 * cpuSeconds / n;
  state.counters["copy_ms"] = 1e3 * copySeconds / n;
  state.counters["own_ratio"] = own / (copySeconds / n);
  state.counters["hidden"] = static_cast<double>(hiddenCount);
}

}  // namespace

BENCHMARK(BM_FullSend)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FullSendPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelUpdate)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
