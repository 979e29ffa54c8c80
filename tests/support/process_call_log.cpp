#include "tests/support/process_call_log.h"

#include <stdlib.h>

#include "tests/support/file_io.h"
#include "tests/support/json_lines.h"

namespace test_support {

ProcessCallLog::ProcessCallLog(const std::string& prefix)
    : folder_(prefix), file_(folder_.path() / "calls.jsonl") {
  setenv("ORVEX_BRIDGE_LOG", file_.c_str(), 1);
  unsetenv("ORVEX_BRIDGE_LOG_ARRAYS");
  unsetenv("ORVEX_BRIDGE_OUT");
}

std::size_t ProcessCallLog::Size() const { return FileSize(file_); }

std::string ProcessCallLog::TextFrom(std::size_t offset) const { return ReadFile(file_, offset); }

std::vector<nlohmann::json> ProcessCallLog::CallsFrom(std::size_t offset) const {
  return ReadJsonObjects(file_, offset);
}

}  // namespace test_support
