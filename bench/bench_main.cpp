// The benchmarks' entry: the bridge stand-in with its call log and its glTF
// output off, message boxes counted (a box means a missing export, which would
// make the figures meaningless), then Google Benchmark.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>

#include "standin_host.h"

namespace {
std::atomic<int> g_boxes{0};
}  // namespace

int main(int argc, char** argv) {
  // The bridge reads these once, when it is first loaded.
  unsetenv("ORVEX_BRIDGE_LOG");
  unsetenv("ORVEX_BRIDGE_LOG_ARRAYS");
  unsetenv("ORVEX_BRIDGE_OUT");
  // A shorter wait after Connect where the plug-in offers one; the model
  // update's own work is measured apart from the wait either way.
  setenv("ORVEX_CONNECT_WAIT_MS", "0", 1);
  rhino_standin::HostHooks hooks;
  hooks.print = [](const std::string&) {};
  hooks.messageBox = [](const std::wstring&, const std::wstring&, unsigned) {
    ++g_boxes;
    return 1;
  };
  rhino_standin::SetHostHooks(std::move(hooks));

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_boxes != 0) {
    std::fprintf(stderr, "%d message boxes were shown during the benchmarks\n", g_boxes.load());
    return 1;
  }
  return 0;
}
