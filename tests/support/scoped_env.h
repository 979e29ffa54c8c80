// ScopedEnv: an environment variable set or removed for a scope, then put back.
#pragma once

#include <optional>
#include <string>

namespace test_support {

// Sets or removes a variable of this process's environment.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// Sets `name` to `value` (or, with nullopt, removes it) and restores the value
// it had, or its absence, at destruction.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace test_support
