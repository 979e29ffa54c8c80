#include "host_sandbox.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

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
    fs::copy_file(ORVEX_BRIDGE_FILE, pluginDir / "OrvexPlugin.so");
  else if (bridge != "none")
    fs::copy_file(fs::path(ORVEX_VARIANTS_DIR) / bridge / "OrvexPlugin.so",
                  pluginDir / "OrvexPlugin.so");
  fs::create_directories(RendererFolder());
  std::ofstream(RendererFolder() / "OrvexRender") << "renderer";
}

fs::path HostSandbox::RendererFolder() const { return Root() / "Orvex Render"; }

fs::path HostSandbox::PlugInConfigFolder() const {
  return ConfigFolder() / "McNeel/Rhinoceros/7.0/Plug-ins" /
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

HostRun HostSandbox::Run(const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env) const {
  const fs::path out = Root() / "stdout.txt";
  const fs::path err = Root() / "stderr.txt";
  const fs::path transcript = Root() / "transcript.jsonl";
  const fs::path log = Root() / "calls.jsonl";
  fs::remove(transcript);
  fs::remove(log);
  std::vector<std::string> argv = {ORVEX_HOST_FILE, "--plugin",
                                   (PlugInFolder() / "OrvexConv.rhp").string(), "--transcript",
                                   transcript.string()};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t child = fork();
  if (child == 0) {
    // Outside services point at a closed local port; the client id goes to the sandbox.
    setenv("ORVEX_BRIDGE_LOG", log.c_str(), 1);
    setenv("ORVEX_UPDATE_URL", "https://127.0.0.1:1", 1);
    setenv("ORVEX_ANALYTICS_HOST", "127.0.0.1:1", 1);
    setenv("XDG_CONFIG_HOME", ConfigFolder().c_str(), 1);
    unsetenv("ORVEX_BRIDGE_START_CODE");
    unsetenv("ORVEX_BRIDGE_CONNECT_CODE");
    unsetenv("ORVEX_BRIDGE_HAS_CONNECTED");
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    if (!freopen(out.c_str(), "wb", stdout) || !freopen(err.c_str(), "wb", stderr) ||
        !freopen("/dev/null", "rb", stdin))
      _exit(126);
    std::vector<char*> raw;
    for (const std::string& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
    raw.push_back(nullptr);
    execv(raw[0], raw.data());
    _exit(127);
  }
  HostRun run;
  int status = 0;
  waitpid(child, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = test_support::ReadFile(out);
  run.err = test_support::ReadFile(err);
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
