// The call log: one JSON object per bridge call, one line per call (JSON Lines), appended to a
// file and written out at once. Safe to use from several threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "standin/bridge/json_line.h"

namespace orvex_bridge {

struct CallLogOptions {
  std::string path;    // empty: no log
  bool arrays = true;  // false: large arrays are logged as their counts
};

// ORVEX_BRIDGE_LOG names the file; ORVEX_BRIDGE_LOG_ARRAYS=0 logs counts instead of arrays.
CallLogOptions CallLogOptionsFromEnvironment();

class CallLog {
 public:
  // The moment of construction is the origin of the "ms" member.
  explicit CallLog(CallLogOptions options);
  ~CallLog();
  CallLog(const CallLog&) = delete;
  CallLog& operator=(const CallLog&) = delete;

  bool enabled() const { return !options_.path.empty(); }
  bool arrays() const { return options_.arrays; }

  // Appends the line {"fn","seq","thread","ms", then the members of `arguments`} with one
  // write. "seq" counts the lines from 0; "thread" numbers the calling threads from 0 in the
  // order they first wrote; a thread started after another ended is a new thread. Does nothing when
  // the log is disabled or its file cannot be opened.
  void Write(std::string_view fn, const JsonLine& arguments);

 private:
  bool OpenLocked();

  const CallLogOptions options_;
  const std::chrono::steady_clock::time_point origin_;
  std::mutex mutex_;
  int fd_ = -1;
  bool openFailed_ = false;
  const std::uint64_t id_;  // tells this log from earlier ones in the threads' memory
  std::uint64_t seq_ = 0;
  int threadCount_ = 0;
};

}  // namespace orvex_bridge
