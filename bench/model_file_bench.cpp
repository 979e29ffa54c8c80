// The reading of a real .3dm file (v5_teacup.3dm of the samples in tests/data/3dm/, 4 MB):
// openNURBS's own reading, ONX_Model::Read, against the host's ReadModelFile,
// which reads the file the same way and turns it into the SDK stand-in's
// document. Both are timed in every iteration, each going first in turn, so
// that a busy machine slows both sides alike; `ratio` is ReadModelFile's time
// over ONX_Model::Read's, and `goal_ratio` the most it may be: scripts/bench.sh
// fails the run when the median ratio is above it.
//
// ONX_Model::Read is called as ReadModelFile calls it (a wide path, an error
// log) and timed with the model's construction and freeing, since
// ReadModelFile builds and frees one inside (`onx_free_ms` is the freeing
// alone). The document ReadModelFile returns is freed outside the timing.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_clock.h"
#include "platform/platform.h"
#include "standin/host/model_file_reader.h"

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Seconds;

constexpr double kGoalRatio = 1.5;

const std::string& ModelFilePath() {
  static const std::string path =
      (fs::path(ORVEX_SOURCE_DIR) / "tests/data/3dm/v5_teacup.3dm").lexically_normal().string();
  return path;
}

// Reads the file with openNURBS alone; the number of geometry components it
// holds, or -1 when openNURBS could not read it.
int OnxRead(const std::wstring& path, double& readSeconds, double& freeSeconds) {
  const auto t0 = Clock::now();
  auto model = std::make_unique<ONX_Model>();
  ON_wString log;
  ON_TextLog errors(log);
  const bool read = model->Read(path.c_str(), &errors);
  const int geometry =
      read ? static_cast<int>(model->ActiveComponentCount(ON_ModelComponent::Type::ModelGeometry))
           : -1;
  const auto t1 = Clock::now();
  model.reset();
  const auto t2 = Clock::now();
  readSeconds += Seconds(t2 - t0);
  freeSeconds += Seconds(t2 - t1);
  return geometry;
}

// Reads the file into a document; the document's object count, or -1 with
// the reader's error.
int ReaderRead(const std::string& path, double& seconds, std::string& error) {
  const auto t0 = Clock::now();
  DocumentReadResult result = ReadModelFile(path);
  seconds += Seconds(Clock::now() - t0);
  if (!result.doc) {
    error = result.error;
    return -1;
  }
  return result.doc->StandinObjectCount();
}

void BM_ModelFileRead(benchmark::State& state) {
  const std::string& path = ModelFilePath();
  std::error_code missing;
  if (!fs::is_regular_file(path, missing)) {
    state.SkipWithError(("the sample .3dm file is missing: " + path).c_str());
    return;
  }
  const std::wstring wide = platform::Utf8ToWide(path).value_or(L"");
  double onxSeconds = 0, onxFreeSeconds = 0, readerSeconds = 0;
  int fileObjects = 0, documentObjects = 0;
  bool readerFirst = false;
  for (auto _ : state) {
    double onx = 0, reader = 0;
    std::string error;
    int objects = 0;
    if (readerFirst) objects = ReaderRead(path, reader, error);
    const int geometry = OnxRead(wide, onx, onxFreeSeconds);
    if (!readerFirst) objects = ReaderRead(path, reader, error);
    readerFirst = !readerFirst;
    if (geometry < 0) {
      state.SkipWithError(("ONX_Model::Read could not read " + path).c_str());
      break;
    }
    if (objects < 0) {
      state.SkipWithError(("ReadModelFile failed: " + error).c_str());
      break;
    }
    if (geometry == 0 || objects == 0) {
      state.SkipWithError(("no object was read from " + path).c_str());
      break;
    }
    onxSeconds += onx;
    readerSeconds += reader;
    fileObjects = geometry;
    documentObjects = objects;
    state.SetIterationTime(reader);
  }
  if (state.error_occurred()) return;
  const double n = static_cast<double>(state.iterations());
  state.counters["onx_read_ms"] = 1e3 * onxSeconds / n;
  state.counters["onx_free_ms"] = 1e3 * onxFreeSeconds / n;
  state.counters["read_model_file_ms"] = 1e3 * readerSeconds / n;
  state.counters["ratio"] = readerSeconds / onxSeconds;
  state.counters["goal_ratio"] = kGoalRatio;
  state.counters["file_objects"] = fileObjects;
  state.counters["document_objects"] = documentObjects;
}

}  // namespace

BENCHMARK(BM_ModelFileRead)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
