#include "standin/bridge/call_log.h"

#include <fcntl.h>
#include <unistd.h>
#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>

#include <filesystem>
#endif

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "standin/bridge/environment.h"

namespace orvex_bridge {
namespace {

std::atomic<std::uint64_t> g_nextLogId{1};

// The log file (a UTF-8 path) opened for appending, not inherited by child processes.
int OpenForAppend(const std::string& path) {
#if defined(_WIN32)
  return ::_wopen(std::filesystem::u8path(path).c_str(),
                  _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
#else
  return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
#endif
}

// The number this thread has in one log. Kept with the thread rather than looked up by thread
// id, because the system hands the id of an ended thread to the next one it starts.
struct ThreadNumber {
  std::uint64_t logId = 0;
  int number = 0;
};
thread_local ThreadNumber t_threadNumber;

}  // namespace

CallLogOptions CallLogOptionsFromEnvironment() {
  CallLogOptions options;
  if (const auto path = EnvironmentText("ORVEX_BRIDGE_LOG")) options.path = *path;
  if (const auto arrays = EnvironmentText("ORVEX_BRIDGE_LOG_ARRAYS"))
    options.arrays = *arrays != "0";
  return options;
}

CallLog::CallLog(CallLogOptions options)
    : options_(std::move(options)),
      origin_(std::chrono::steady_clock::now()),
      id_(g_nextLogId.fetch_add(1)) {}

CallLog::~CallLog() {
  if (fd_ >= 0) ::close(fd_);
}

bool CallLog::OpenLocked() {
  if (fd_ >= 0) return true;
  if (openFailed_) return false;
  fd_ = OpenForAppend(options_.path);
  if (fd_ < 0) {
    openFailed_ = true;
    std::fprintf(stderr, "OrvexPlugin: cannot open the call log %s: %s\n", options_.path.c_str(),
                 std::strerror(errno));
    return false;
  }
  return true;
}

void CallLog::Write(std::string_view fn, const JsonLine& arguments) {
  if (!enabled()) return;
  const std::string& members = arguments.Members();

  std::lock_guard<std::mutex> lock(mutex_);
  if (!OpenLocked()) return;

  ThreadNumber& thread = t_threadNumber;
  if (thread.logId != id_) thread = ThreadNumber{id_, threadCount_++};
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin_).count();

  std::string line;
  line.reserve(members.size() + fn.size() + 64);
  line += "{\"fn\":";
  AppendJsonString(line, fn);
  line += ",\"seq\":";
  line += std::to_string(seq_++);
  line += ",\"thread\":";
  line += std::to_string(thread.number);
  line += ",\"ms\":";
  char buffer[32];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, ms, std::chars_format::fixed, 3);
  line.append(buffer, written.ptr);
  if (!members.empty()) {
    line.push_back(',');
    line += members;
  }
  line += "}\n";

  const char* data = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "OrvexPlugin: cannot write the call log %s: %s\n", options_.path.c_str(),
                   std::strerror(errno));
      return;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace orvex_bridge
