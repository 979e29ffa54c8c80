// ProcessCallLog: the call log of a bridge stand-in loaded into the test process itself.
#pragma once

#include <cstddef>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace test_support {

// A folder of its own with the bridge's call log in it. The constructor points
// ORVEX_BRIDGE_LOG at the log, logs arrays in full (ORVEX_BRIDGE_LOG_ARRAYS
// removed) and writes no output files (ORVEX_BRIDGE_OUT removed). The bridge
// reads these once, when its library is first loaded into the process, so the
// object must exist before anything loads the bridge, and the variables are
// not put back: a loaded bridge keeps logging to the same file. Tests share the
// log and tell their own calls apart by the size it had when they began.
class ProcessCallLog {
 public:
  explicit ProcessCallLog(const std::string& prefix);
  ProcessCallLog(const ProcessCallLog&) = delete;
  ProcessCallLog& operator=(const ProcessCallLog&) = delete;

  const std::filesystem::path& folder() const { return folder_.path(); }
  const std::filesystem::path& file() const { return file_; }

  // The bytes logged so far: the offset from which a test reads its own calls.
  std::size_t Size() const;
  std::string TextFrom(std::size_t offset) const;
  std::vector<nlohmann::json> CallsFrom(std::size_t offset) const;

 private:
  TempDir folder_;
  std::filesystem::path file_;
};

}  // namespace test_support
