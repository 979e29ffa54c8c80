// The host itself, orvex-host, in a process of its own on the large real
// document (large_file.h): once opening the file only, once opening it and
// starting a link (whose start is the full send into the bridge stand-in). The
// send's time is the difference; the whole host process's peak resident
// memory (its own, the plug-in's and the bridge stand-in's, which keeps a copy
// of everything sent) is compared with the mesh bytes the file holds; goal 2.5.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/large_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::LargeFile;
using bench::Seconds;
using bench::TheLargeFile;

constexpr double kHostMemoryGoal = 2.5;

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

}  // namespace

BENCHMARK(BM_LargeFileHost)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
