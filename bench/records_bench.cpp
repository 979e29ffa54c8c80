// Building the material records of 1,000 materials and the light description
// of 1,000 lights, as the materials element and the send-lights command build
// them (no bridge call).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_document.h"
#include "light/light_exporter.h"
#include "material/material_conversion.h"
#include "material/material_key.h"

namespace {

constexpr int kCount = 1000;

using bench::Clock;

void ReportPerItem(benchmark::State& state, const char* name, Clock::duration total) {
  const double us = std::chrono::duration<double, std::micro>(total).count();
  state.counters[name] = us / (static_cast<double>(state.iterations()) * kCount);
}

void BM_MaterialRecords(benchmark::State& state) {
  const std::vector<ON_Material> materials = bench::BuildMaterials(kCount);
  std::size_t characters = 0;
  Clock::duration total{};
  for (auto _ : state) {
    const auto start = Clock::now();
    characters = 0;
    for (const ON_Material& material : materials) {
      const ON_wString key = material::MaterialKey(material);
      const std::wstring record = material::MaterialRecordOf(material);
      characters += static_cast<std::size_t>(key.Length()) + record.size();
      benchmark::DoNotOptimize(record.data());
    }
    total += Clock::now() - start;
  }
  state.counters["materials"] = kCount;
  ReportPerItem(state, "us_per_material", total);
  state.counters["characters"] = static_cast<double>(characters);
}

void BM_LightDescription(benchmark::State& state) {
  const std::unique_ptr<CRhinoDoc> doc = bench::BuildLightDocument(kCount);
  const bridge::Bridge notLoaded;  // never asked: Describe makes no bridge call
  light::LightExporter exporter(notLoaded);
  std::size_t characters = 0;
  Clock::duration total{};
  for (auto _ : state) {
    const auto start = Clock::now();
    const std::wstring description = exporter.Describe(*doc);
    total += Clock::now() - start;
    characters = description.size();
    benchmark::DoNotOptimize(description.data());
  }
  state.counters["lights"] = kCount;
  ReportPerItem(state, "us_per_light", total);
  state.counters["characters"] = static_cast<double>(characters);
}

}  // namespace

BENCHMARK(BM_MaterialRecords)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LightDescription)->Unit(benchmark::kMicrosecond);
