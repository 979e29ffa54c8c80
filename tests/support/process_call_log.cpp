#include "tests/support/process_call_log.h"

#include "tests/support/file_io.h"
#include "tests/support/json_lines.h"
#include "tests/support/scoped_env.h"

namespace test_support {

ProcessCallLog::ProcessCallLog(const std::string& prefix)
    : folder_(prefix), file_(folder_.path() / "calls.jsonl") {
  SetEnv("ORVEX_BRIDGE_LOG", file_.string());
  UnsetEnv("ORVEX_BRIDGE_LOG_ARRAYS");
  UnsetEnv("ORVEX_BRIDGE_OUT");
}

std::size_t ProcessCallLog::Size() const { return FileSize(file_); }

std::string ProcessCallLog::TextFrom(std::size_t offset) const { return ReadFile(file_, offset); }

std::vector<nlohmann::json> ProcessCallLog::CallsFrom(std::size_t offset) const {
  return ReadJsonObjects(file_, offset);
}

}  // namespace test_support
