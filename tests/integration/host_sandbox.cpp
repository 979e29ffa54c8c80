#include "host_sandbox.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::vector<json> ReadJsonLines(const fs::path& path) {
  std::vector<json> lines;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);)
    if (!line.empty()) lines.push_back(json::parse(line));
  return lines;
}

}  // namespace

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

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
  std::random_device random;
  m_root = fs::temp_directory_path() /
           ("orvex-host-test-" + std::to_string(getpid()) + "-" + std::to_string(random()));
  const fs::path pluginDir = m_root / "rhino" / "Plug-ins" / "OrvexConv";
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

HostSandbox::~HostSandbox() {
  std::error_code ec;
  fs::remove_all(m_root, ec);
}

fs::path HostSandbox::RendererFolder() const { return m_root / "Orvex Render"; }

void HostSandbox::RememberRenderer() const {
  std::ofstream(FolderFile(), std::ios::binary) << RendererFolder().string();
}

fs::path HostSandbox::WriteDocument(const json& doc, const std::string& name) {
  const fs::path path = m_root / (name + ".orvexdoc.json");
  std::ofstream(path) << doc.dump(1);
  return path;
}

HostRun HostSandbox::Run(const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env) const {
  const fs::path out = m_root / "stdout.txt";
  const fs::path err = m_root / "stderr.txt";
  const fs::path transcript = m_root / "transcript.jsonl";
  const fs::path log = m_root / "calls.jsonl";
  fs::remove(transcript);
  fs::remove(log);
  std::vector<std::string> argv = {ORVEX_HOST_FILE, "--plugin",
                                   (m_root / "rhino/Plug-ins/OrvexConv/OrvexConv.rhp").string(),
                                   "--transcript", transcript.string()};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t child = fork();
  if (child == 0) {
    // Outside services point at a closed local port; the client id goes to the sandbox.
    setenv("ORVEX_BRIDGE_LOG", log.c_str(), 1);
    setenv("ORVEX_UPDATE_URL", "https://127.0.0.1:1", 1);
    setenv("ORVEX_ANALYTICS_HOST", "127.0.0.1:1", 1);
    setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
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
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  run.transcript = ReadJsonLines(transcript);
  run.calls = ReadJsonLines(log);
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
