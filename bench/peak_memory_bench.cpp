// Peak heap during one full send of the generated document of
// model_send_bench.cpp into the real bridge stand-in, its call log off. Every
// allocation is counted (heap_accounting.cpp); those the bridge library makes
// are its copy of what it receives, which a real renderer keeps in its own
// process, and are counted apart. Goal: the plug-in side's peak at most the
// document plus the buffers of its largest mesh (`ratio`: the peak over the
// document, in largest meshes' buffers; `goal_ratio` 1).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "bench/bench_document.h"
#include "bench/bench_exporter.h"
#include "bench/heap_accounting.h"

namespace {

void BM_FullSendPeakMemory(benchmark::State& state) {
  const std::int64_t beforeDocument = heap::Now().plugInLive;
  const bench::LargeDocument d = bench::BuildLargeDocument();
  const std::int64_t documentBytes = heap::Now().plugInLive - beforeDocument;
  bench::Exporter exporter;
  if (!heap::StartAttribution("/OrvexPlugin.so")) {
    state.SkipWithError("the bridge library is not loaded");
    return;
  }
  heap::Counts before, after;
  for (auto _ : state) {
    before = heap::Now();
    heap::ResetPeak();
    exporter.SendFullModel(d.doc.get());
    after = heap::Now();
    exporter.DestroyModel();
  }
  heap::StopAttribution();
  const double mb = 1e6;
  const std::int64_t overDocument = after.plugInPeak - before.plugInLive;
  const std::int64_t largest = static_cast<std::int64_t>(d.LargestMeshBytes());
  state.counters["document_MB"] = static_cast<double>(documentBytes) / mb;
  state.counters["largest_mesh_KB"] = static_cast<double>(largest) / 1e3;
  state.counters["peak_MB"] = static_cast<double>(documentBytes + overDocument) / mb;
  state.counters["peak_over_document_KB"] = static_cast<double>(overDocument) / 1e3;
  state.counters["budget_MB"] = static_cast<double>(documentBytes + largest) / mb;
  state.counters["ratio"] = static_cast<double>(overDocument) / static_cast<double>(largest);
  state.counters["goal_ratio"] = 1.0;
  state.counters["bridge_holds_MB"] =
      static_cast<double>(after.bridgeLive - before.bridgeLive) / mb;
  state.counters["process_peak_over_document_MB"] =
      static_cast<double>(after.processPeak - before.plugInLive - before.bridgeLive) / mb;
}

}  // namespace

BENCHMARK(BM_FullSendPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
