// The large real document: a .3dm file written here with openNURBS at the
// first use (10,000 mesh objects of 500 triangles, 200 block definitions of
// one such mesh with 50 references each, 100 materials: 5.1 million
// triangles), in a folder of its own that is removed when the program ends.
//
// BM_LargeFileSend: the host's reading code (ReadModelFile) opens the file
// once, then the full send of the document into the bridge stand-in, against
// the plain copy of every array the bridge receives (as in BM_FullSend);
// goal 1.6.
//
// BM_LargeFileHost: the host itself, orvex-host, in a process of its own:
// once opening the file only, once opening it and starting a link (whose
// start is the full send). The send's time is the difference; the whole host
// process's peak resident memory (its own, the plug-in's and the bridge
// stand-in's, which keeps a copy of everything sent) is compared with the
// mesh bytes the file holds; goal 2.5.
//
// BM_FullSendScaling: the full send of generated documents of 1, 4 and 16
// times 625 objects (and 12 block definitions), to show that its cost per
// triangle stays the same as the document grows.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "bench/bench_document.h"
#include "bench/bench_exporter.h"
#include "bench/send_shares.h"
#include "standin/host/model_file_reader.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

constexpr double kSendGoal = 1.6;
constexpr double kHostMemoryGoal = 2.5;

bench::LargeDocumentShape LargeFileShape() {
  bench::LargeDocumentShape shape;
  shape.objects = 10000;
  shape.trianglesPerObject = 500;
  shape.definitions = 200;
  shape.referencesPerDefinition = 50;
  shape.materials = 100;
  return shape;
}

struct LargeFile {
  fs::path folder;
  fs::path file;
  bench::ModelFileContents contents;
  bool written = false;
  ~LargeFile() {
    std::error_code ignored;
    if (!folder.empty()) fs::remove_all(folder, ignored);
  }
};

LargeFile& TheLargeFile() {
  static LargeFile large = [] {
    LargeFile f;
    std::string pattern = (fs::temp_directory_path() / "orvex-large-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return f;
    f.folder = pattern;
    f.file = f.folder / "large.3dm";
    f.written = bench::WriteLargeModelFile(f.file.string(), LargeFileShape(), f.contents);
    return f;
  }();
  return large;
}

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
  double copySeconds = 0, sendSeconds = 0, bridgeSeconds = 0, referenceSeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    PlainCopy(arrays);
    const auto t1 = Clock::now();
    exporter.SendFullModel(&doc);
    const auto t2 = Clock::now();
    exporter.DestroyModel();
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
  const LargeFile& large = TheLargeFile();
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

struct HostRun {
  double seconds = 0;
  double peakResidentBytes = 0;
  int status = -1;
};

// orvex-host with these commands, its own environment: the renderer found at
// once, the bridge stand-in logging and writing nothing, the connect wait and
// the outside services off. Its output goes to `output`.
HostRun RunHost(const LargeFile& large, const std::vector<std::string>& commands,
                const fs::path& output) {
  std::vector<std::string> args = {ORVEX_HOST_PATH, "--doc", large.file.string()};
  args.insert(args.end(), commands.begin(), commands.end());
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("ORVEX_", 0) == 0 || entry.rfind("XDG_CONFIG_HOME=", 0) == 0) continue;
    env.push_back(entry);
  }
  env.push_back("ORVEX_BRIDGE_START_CODE=0");
  env.push_back("ORVEX_CONNECT_WAIT_MS=0");
  env.push_back("ORVEX_UPDATE_URL=https://127.0.0.1:9");
  env.push_back("ORVEX_ANALYTICS_HOST=127.0.0.1:9");
  env.push_back("XDG_CONFIG_HOME=" + (large.folder / "config").string());
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  HostRun run;
  const auto start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  // The peak is the process's own high-water mark (VmHWM), read while it
  // runs: the one its exit leaves (ru_maxrss) also counts the memory of this
  // process, which it carries from before it became the host. The host
  // reaches its peak while it reads and sends, well before it ends.
  const std::string status_file = "/proc/" + std::to_string(pid) + "/status";
  int status = 0;
  for (;;) {
    std::ifstream proc(status_file);
    for (std::string line; std::getline(proc, line);)
      if (line.rfind("VmHWM:", 0) == 0)
        run.peakResidentBytes =
            std::max(run.peakResidentBytes, 1024.0 * std::strtod(line.c_str() + 6, nullptr));
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) break;
    if (ended < 0) return run;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.seconds = Seconds(Clock::now() - start);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

void BM_LargeFileHost(benchmark::State& state) {
  const LargeFile& large = TheLargeFile();
  if (!large.written) return state.SkipWithError("the large .3dm file could not be written");
  double openSeconds = 0, sendSeconds = 0, peak = 0, openPeak = 0;
  for (auto _ : state) {
    const fs::path output = large.folder / "host-output.txt";
    const HostRun open = RunHost(large, {"Exit"}, output);
    const HostRun send = RunHost(large, {"OrvexConverterStart", "Exit"}, output);
    if (open.status != 0 || send.status != 0)
      return state.SkipWithError("orvex-host did not run to its end");
    std::ifstream said(output);
    const std::string text((std::istreambuf_iterator<char>(said)),
                           std::istreambuf_iterator<char>());
    if (text.find("OrvexConverter: Success") == std::string::npos)
      return state.SkipWithError("orvex-host's start did not succeed");
    openSeconds += open.seconds;
    sendSeconds += send.seconds - open.seconds;
    peak = std::max(peak, send.peakResidentBytes);
    openPeak = std::max(openPeak, open.peakResidentBytes);
    state.SetIterationTime(send.seconds);
  }
  const double n = static_cast<double>(state.iterations());
  const double meshBytes = static_cast<double>(large.contents.meshBytes);
  state.counters["host_open_ms"] = 1e3 * openSeconds / n;
  state.counters["host_send_ms"] = 1e3 * sendSeconds / n;
  state.counters["host_peak_rss_MB"] = peak / 1e6;
  state.counters["host_open_peak_rss_MB"] = openPeak / 1e6;
  state.counters["file_mesh_MB"] = meshBytes / 1e6;
  state.counters["triangles"] = static_cast<double>(large.contents.triangles);
  state.counters["ratio"] = peak / meshBytes;
  state.counters["goal_ratio"] = kHostMemoryGoal;
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
BENCHMARK(BM_LargeFileHost)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FullSendScaling)
    ->ArgName("times")
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
