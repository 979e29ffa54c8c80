#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <thread>

#include "host_process.h"

extern char** environ;

namespace {

std::map<std::string, std::string> CurrentEnvironment() {
  std::map<std::string, std::string> current;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) current[text.substr(0, equals)] = text.substr(equals + 1);
  }
  return current;
}

std::vector<char*> NullTerminated(std::vector<std::string>& texts) {
  std::vector<char*> raw;
  for (std::string& text : texts) raw.push_back(text.data());
  raw.push_back(nullptr);
  return raw;
}

// How the child ended: its wait status, or none when it was killed at the
// deadline or could not be waited for.
std::optional<int> WaitWithDeadline(pid_t child, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
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

int RunChildProcess(const ChildProcess& child) {
  std::vector<std::string> argv = child.argv;
  std::vector<std::string> environment;
  for (const auto& [name, value] : ChildEnvironment(CurrentEnvironment(), child))
    environment.push_back(name + "=" + value);
  const std::vector<char*> rawArgv = NullTerminated(argv);
  const std::vector<char*> rawEnv = NullTerminated(environment);
  const std::string folder = child.workingFolder.string();

  // Everything is made before the fork: this process runs server threads, and
  // a child that allocated could wait forever on a lock one of them held.
  const int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int output = open(child.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int error = open(child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int exitCode = -1;
  if (input >= 0 && output >= 0 && error >= 0) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
          dup2(error, STDERR_FILENO) < 0 || (!folder.empty() && chdir(folder.c_str()) != 0))
        _exit(126);
      execve(rawArgv[0], rawArgv.data(), rawEnv.data());
      _exit(127);
    }
    if (pid > 0) {
      const std::optional<int> status = WaitWithDeadline(pid, child.deadline);
      if (!status)
        exitCode = kHostKilled;
      else if (WIFEXITED(*status))
        exitCode = WEXITSTATUS(*status);
    }
  }
  for (const int fd : {input, output, error})
    if (fd >= 0) close(fd);
  return exitCode;
}
