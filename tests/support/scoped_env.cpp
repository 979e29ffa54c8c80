#include "tests/support/scoped_env.h"

#include <stdlib.h>

namespace test_support {

void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetEnv(const std::string& name) {
#ifdef _WIN32
  _putenv_s(name.c_str(), "");  // an empty value removes the variable
#else
  unsetenv(name.c_str());
#endif
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* previous = getenv(name_.c_str())) previous_ = previous;
  if (value) {
    SetEnv(name_, *value);
  } else {
    UnsetEnv(name_);
  }
}

ScopedEnv::~ScopedEnv() {
  if (previous_) {
    SetEnv(name_, *previous_);
  } else {
    UnsetEnv(name_);
  }
}

}  // namespace test_support
