#include "host_sandbox.h"

#include <chrono>
#include <fstream>
#include <iostream>

#include "platform/platform.h"
#include "tests/support/file_io.h"
#include "tests/support/json_lines.h"

namespace fs = std::filesystem;
using nlohmann::json;

std::vector<json> HostRun::Events(const std::string& kind) const {
  std::vector<json> events;
  for (const json& e : transcript)
    if (e["kind"] == kind) events.push_back(e);
  return events;
}

std::vector<std::string> HostRun::BoxTexts() const {
  std::vector<std::string> texts;
  for (const json& e : Events("message_box")) texts.push_back(e["text"]);
  return texts;
}

std::vector<std::string> HostRun::CallNames() const {
  std::vector<std::string> names;
  for (const json& c : calls) names.push_back(c["fn"]);
  return names;
}

std::vector<json> HostRun::Calls(const std::string& fn) const {
  std::vector<json> found;
  for (const json& c : calls)
    if (c["fn"] == fn) found.push_back(c);
  return found;
}

HostSandbox::HostSandbox(const std::string& bridge) {
  const fs::path pluginDir = PlugInFolder();
  fs::create_directories(pluginDir);
  fs::copy_file(ORVEX_PLUGIN_FILE, pluginDir / "OrvexConv.rhp");
  if (bridge.empty())
    fs::copy_file(ORVEX_BRIDGE_FILE, pluginDir / kBridgeFileName);
  else if (bridge != "none")
    fs::copy_file(fs::path(ORVEX_VARIANTS_DIR) / bridge / kBridgeFileName,
                  pluginDir / kBridgeFileName);
  fs::create_directories(RendererFolder());
  std::ofstream(RendererFolder() / "OrvexRender") << "renderer";
}

fs::path HostSandbox::RendererFolder() const { return Root() / "Orvex Render"; }

fs::path HostSandbox::PlugInConfigFolder() const {
#ifdef _WIN32
  // The user's own roaming folder: Windows has no variable that moves it.
  const fs::path config = platform::RoamingAppDataFolder().value_or(L"");
#else
  const fs::path config = ConfigFolder();
#endif
  return config / "McNeel/Rhinoceros/7.0/Plug-ins" /
         "OrvexConv (7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53)";
}

void HostSandbox::RememberRenderer() const {
  std::ofstream(FolderFile(), std::ios::binary) << RendererFolder().string();
}

fs::path HostSandbox::WriteDocument(const json& doc, const std::string& name) {
  return test_support::WriteFile(Root() / (name + ".orvexdoc.json"), doc.dump(1));
}

HostRun HostSandbox::RunDocument(const json& doc, const std::vector<std::string>& commands,
                                 const std::map<std::string, std::string>& env) {
  std::vector<std::string> args = {"--doc", WriteDocument(doc).string()};
  args.insert(args.end(), commands.begin(), commands.end());
  return Run(args, env);
}

// A host that has not ended by then is stuck: it is killed, so that the test
// fails with the host's own output instead of hanging until CTest gives up.
constexpr auto kHostDeadline = std::chrono::seconds(120);

std::map<std::string, std::string> ChildEnvironment(
    const std::map<std::string, std::string>& current, const ChildProcess& child) {
  std::map<std::string, std::string> merged = current;
  for (const std::string& name : child.removed) merged.erase(name);
  for (const auto& [name, value] : child.values) merged[name] = value;
  return merged;
}

HostRun HostSandbox::Run(const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env) const {
  const fs::path out = Root() / "stdout.txt";
  const fs::path err = Root() / "stderr.txt";
  const fs::path transcript = Root() / "transcript.jsonl";
  const fs::path log = Root() / "calls.jsonl";
  fs::remove(transcript);
  fs::remove(log);
  std::vector<std::string> argv = {fs::absolute(ORVEX_HOST_FILE).string(), "--plugin",
                                   (PlugInFolder() / "OrvexConv.rhp").string(), "--transcript",
                                   transcript.string()};
  argv.insert(argv.end(), args.begin(), args.end());
  // Outside services point at a closed local port; the client id goes to the sandbox.
  std::map<std::string, std::string> values = {{"ORVEX_BRIDGE_LOG", log.string()},
                                               {"ORVEX_UPDATE_URL", "https://127.0.0.1:1"},
                                               {"ORVEX_ANALYTICS_HOST", "127.0.0.1:1"},
                                               {"XDG_CONFIG_HOME", ConfigFolder().string()}};
  for (const auto& [name, value] : env) values[name] = value;
  ChildProcess child{
      argv,
      values,
      {"ORVEX_BRIDGE_START_CODE", "ORVEX_BRIDGE_CONNECT_CODE", "ORVEX_BRIDGE_HAS_CONNECTED"},
      out,
      err,
      workingFolder,
      kHostDeadline};
  HostRun run;
  run.exitCode = RunChildProcess(child);
  run.out = test_support::ReadFile(out);
  run.err = test_support::ReadFile(err);
  if (run.exitCode == kHostKilled) {
    // Said at once: most tests look only at the exit code.
    std::cerr << "the host did not end within " << kHostDeadline.count() << " s and was killed:";
    for (const std::string& a : argv) std::cerr << ' ' << a;
    std::cerr << "\n--- its standard output\n"
              << run.out << "\n--- its standard error\n"
              << run.err << std::endl;
  }
  run.transcript = test_support::ReadJsonObjects(transcript);
  run.calls = test_support::ReadJsonObjects(log);
  return run;
}

json SavedDocument() {
  return json::parse(R"({
    "path": "D:/projects/house.3dm",
    "units": "millimeters",
    "objects": [{"id": "0b000001-0000-4000-8000-000000000001", "name": "slab",
                 "mesh": {"vertices": [[0,0,0],[1000,0,0],[1000,1000,0]], "faces": [[0,1,2]]}}]
  })");
}
