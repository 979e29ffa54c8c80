#include "host_sandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

#include "tests/support/file_io.h"
#include "tests/support/json_lines.h"

extern char** environ;

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

namespace {

// The environment of a host run: this process's own, with the sandbox's
// values and the test's on top, as "NAME=value" texts.
std::vector<std::string> HostEnvironment(const std::map<std::string, std::string>& values,
                                         const std::vector<std::string>& removed) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const std::string& name : removed) merged.erase(name);
  for (const auto& [name, value] : values) merged[name] = value;
  std::vector<std::string> texts;
  for (const auto& [name, value] : merged) texts.push_back(name + "=" + value);
  return texts;
}

std::vector<char*> NullTerminated(std::vector<std::string>& texts) {
  std::vector<char*> raw;
  for (std::string& text : texts) raw.push_back(text.data());
  raw.push_back(nullptr);
  return raw;
}

// A host that has not ended by then is stuck: it is killed, so that the test
// fails with the host's own output instead of hanging until CTest gives up.
constexpr auto kHostDeadline = std::chrono::seconds(120);

// How a host run ended: its wait status, or none when it was killed at the
// deadline or could not be waited for.
std::optional<int> WaitWithDeadline(pid_t child) {
  const auto deadline = std::chrono::steady_clock::now() + kHostDeadline;
  auto pause = std::chrono::microseconds(200);
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) return status;
    if (ended < 0 && errno != EINTR) return std::nullopt;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return std::nullopt;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(10000));
  }
}

}  // namespace

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
  // Outside services point at a closed local port; the client id goes to the sandbox.
  std::map<std::string, std::string> values = {{"ORVEX_BRIDGE_LOG", log.string()},
                                               {"ORVEX_UPDATE_URL", "https://127.0.0.1:1"},
                                               {"ORVEX_ANALYTICS_HOST", "127.0.0.1:1"},
                                               {"XDG_CONFIG_HOME", ConfigFolder().string()}};
  for (const auto& [name, value] : env) values[name] = value;
  std::vector<std::string> environment = HostEnvironment(
      values,
      {"ORVEX_BRIDGE_START_CODE", "ORVEX_BRIDGE_CONNECT_CODE", "ORVEX_BRIDGE_HAS_CONNECTED"});
  const std::vector<char*> rawArgv = NullTerminated(argv);
  const std::vector<char*> rawEnv = NullTerminated(environment);

  // Everything is made before the fork: this process runs server threads, and
  // a child that allocated could wait forever on a lock one of them held.
  const int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int output = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int error = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  HostRun run;
  if (input >= 0 && output >= 0 && error >= 0) {
    const pid_t child = fork();
    if (child == 0) {
      if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
          dup2(error, STDERR_FILENO) < 0)
        _exit(126);
      execve(rawArgv[0], rawArgv.data(), rawEnv.data());
      _exit(127);
    }
    if (child > 0) {
      const std::optional<int> status = WaitWithDeadline(child);
      if (!status)
        run.exitCode = kHostKilled;
      else if (WIFEXITED(*status))
        run.exitCode = WEXITSTATUS(*status);
    }
  }
  for (const int fd : {input, output, error})
    if (fd >= 0) close(fd);
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
