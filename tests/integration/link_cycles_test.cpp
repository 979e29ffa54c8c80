// The link's cycles through the real host and the plug-in module: Start, view
// sync off and on, camera moves, Send model, Send lights, Send scenes, Stop
// and document close, each cycle in an order drawn from a fixed seed, in one
// host run. The in-process stress test (tests/plugin) runs a thousand cycles;
// these are fewer, with the module loaded as the host loads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iostream>
#include <random>

#include "host_sandbox.h"

using nlohmann::json;

TEST(LinkCyclesTest, HostCyclesInRandomOrderSendNoCameraOutsideALink) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = SavedDocument();
  doc["lights"] = json::parse(R"([{"name": "lamp", "kind": "point", "location": [0, 0, 2000]}])");
  doc["named_views"] = json::parse(
      R"([{"name": "front", "viewport": {"location": [0,-5000,1000], "direction": [0,1,0],
                                         "up": [0,0,1]}}])");
  const std::string path = sandbox.WriteDocument(doc).string();

  constexpr int kCycles = 200;
  std::array<std::string, 9> steps = {"OrvexConverterStart",
                                      "OrvexConverterViewSyncOff",
                                      "OrvexConverterViewSyncOn",
                                      "Orbit 15",
                                      "OrvexConverterSendModel",
                                      "OrvexConverterSendLights",
                                      "OrvexConverterSendScenes",
                                      "OrvexConverterStop",
                                      "Close"};
  std::mt19937 random(7);
  const std::filesystem::path script = sandbox.Root() / "cycles.txt";
  {
    std::ofstream out(script);
    for (int cycle = 0; cycle < kCycles; ++cycle) {
      std::shuffle(steps.begin(), steps.end(), random);
      for (const std::string& step : steps) {
        out << step << "\n";
        // The closed document opens again at once, so that later Starts can link.
        if (step == "Close") out << "Open \"" << path << "\"\n";
        if (random() % 3 == 0) out << "Wait " << random() % 20 << "\n";
      }
    }
    out << "OrvexConverterStop\n";
  }
  const HostRun run =
      sandbox.Run({"--doc", path, "--script", script.string()}, {{"ORVEX_CONNECT_WAIT_MS", "0"}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.Events("message_box").empty());

  // A link stands from the model's creation to its destruction; every camera,
  // from the command thread or a view-sync thread, falls inside one.
  bool linked = false;
  int links = 0, cameras = 0, threadCameras = 0;
  for (const json& call : run.calls) {
    const std::string fn = call["fn"];
    if (fn == "CreateModel") {
      EXPECT_FALSE(linked) << "a second model while linked: " << call.dump();
      linked = true;
      ++links;
    } else if (fn == "DestroyModel") {
      EXPECT_TRUE(linked) << call.dump();
      linked = false;
    } else if (fn == "SetCameraTransformFov") {
      ++cameras;
      if (call["thread"] != 0) ++threadCameras;
      EXPECT_TRUE(linked) << "a camera outside any link: " << call.dump();
    }
  }
  EXPECT_FALSE(linked) << "the last link was not ended";
  EXPECT_GT(links, kCycles / 2);
  EXPECT_GT(threadCameras, kCycles / 4);
  EXPECT_EQ(static_cast<int>(run.Calls("DestroyModel").size()), links);
  std::cout << kCycles << " host cycles: " << links << " links, " << cameras << " cameras ("
            << threadCameras << " from view-sync threads), " << run.calls.size() << " bridge calls"
            << std::endl;
}
