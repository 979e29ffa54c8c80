#include "services/json_value.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <utility>

namespace services::json {
namespace {

// A lookup whose precondition does not hold: the expression, this file and the
// line go to standard error, then the assertion fails. Release builds end the
// process as well, since there is no value to hand back.
[[noreturn]] void ReportMisuse(const std::string& expression, const char* file, int line) {
  std::fprintf(stderr, "[JSONXX] expression '%s' failed at %s:%d -> ", expression.c_str(), file,
               line);
  std::fflush(stderr);
  assert(false && "JSON value looked up with the wrong kind");
  std::abort();
}

}  // namespace

// --- Array ------------------------------------------------------------------------

Array::Array() = default;
Array::~Array() = default;

void Array::append(std::unique_ptr<Value> value) { values_.push_back(std::move(value)); }

// --- Object -----------------------------------------------------------------------

Object::Object() = default;
Object::~Object() = default;

void Object::set(const std::string& key, std::unique_ptr<Value> value) {
  members_[key] = std::move(value);
}

std::vector<std::string> Object::keys() const {
  std::vector<std::string> keys;
  keys.reserve(members_.size());
  for (const auto& member : members_) keys.push_back(member.first);
  return keys;
}

const Value* Object::find(const std::string& key) const {
  const auto found = members_.find(key);
  return found == members_.end() ? nullptr : found->second.get();
}

template <typename T>
bool Object::has(const std::string& key) const {
  const Value* value = find(key);
  return value != nullptr && value->is<T>();
}

template <typename T>
const T& Object::get(const std::string& key) const {
  if (!has<T>(key)) {
    // The check as written for every kind, not filled with this one.
    ReportMisuse("has<T>(key)", __FILE__, __LINE__);
  }
  return find(key)->get<T>();
}

// --- Value ------------------------------------------------------------------------

Value::Value() = default;
Value::~Value() = default;

template <typename T>
const T& Value::get() const {
  if (!is<T>()) {
    ReportMisuse(std::string("is<") + KindOf<T>::name + ">()", __FILE__, __LINE__);
  }
  if constexpr (std::is_same_v<T, Number>) {
    return number_;
  } else if constexpr (std::is_same_v<T, String>) {
    return string_;
  } else if constexpr (std::is_same_v<T, Boolean>) {
    return boolean_;
  } else if constexpr (std::is_same_v<T, Null>) {
    static const Null kNull;
    return kNull;
  } else if constexpr (std::is_same_v<T, Array>) {
    return *array_;
  } else {
    return *object_;
  }
}

void Value::reset() {
  kind_ = Kind::Invalid;
  number_ = 0.0;
  boolean_ = false;
  string_.clear();
  array_.reset();
  object_.reset();
}

void Value::setNumber(double number) {
  reset();
  kind_ = Kind::Number;
  number_ = number;
}

void Value::setString(std::string text) {
  reset();
  kind_ = Kind::String;
  string_ = std::move(text);
}

void Value::setBoolean(bool boolean) {
  reset();
  kind_ = Kind::Boolean;
  boolean_ = boolean;
}

void Value::setNull() {
  reset();
  kind_ = Kind::Null;
}

Array& Value::setArray() {
  reset();
  kind_ = Kind::Array;
  array_ = std::make_unique<Array>();
  return *array_;
}

Object& Value::setObject() {
  reset();
  kind_ = Kind::Object;
  object_ = std::make_unique<Object>();
  return *object_;
}

// The lookups exist for the six kinds.
#define SERVICES_JSON_LOOKUPS(T)                                  \
  template bool Object::has<T>(const std::string& key) const;     \
  template const T& Object::get<T>(const std::string& key) const; \
  template const T& Value::get<T>() const;
SERVICES_JSON_LOOKUPS(Number)
SERVICES_JSON_LOOKUPS(String)
SERVICES_JSON_LOOKUPS(Boolean)
SERVICES_JSON_LOOKUPS(Null)
SERVICES_JSON_LOOKUPS(Array)
SERVICES_JSON_LOOKUPS(Object)
#undef SERVICES_JSON_LOOKUPS

}  // namespace services::json
