// Values of the plug-in's small JSON reader: a kind and a payload. Containers
// own their values; destroying or resetting one frees the whole subtree.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace services::json {

// The kinds with their numeric codes.
enum class Kind : int {
  Number = 0,
  String = 1,
  Boolean = 2,
  Null = 3,
  Array = 4,
  Object = 5,
  Invalid = 6,  // a value that has not been parsed
};

class Value;
class Array;
class Object;

// Kind tags for typed lookups: object.has<json::String>("version").
using Number = double;
using String = std::string;
using Boolean = bool;
struct Null {};

// The names of the kinds in misuse reports, by numeric code.
inline constexpr const char* kKindNames[] = {"Number", "String", "Boolean",
                                             "Null",   "Array",  "Object"};

// The kind that a tag type stands for, and its name.
template <typename T>
struct KindOf {
  static constexpr Kind kind = std::is_same_v<T, Number>    ? Kind::Number
                               : std::is_same_v<T, String>  ? Kind::String
                               : std::is_same_v<T, Boolean> ? Kind::Boolean
                               : std::is_same_v<T, Null>    ? Kind::Null
                               : std::is_same_v<T, Array>   ? Kind::Array
                               : std::is_same_v<T, Object>  ? Kind::Object
                                                            : Kind::Invalid;
  static_assert(kind != Kind::Invalid, "not a kind tag");
  static constexpr const char* name = kKindNames[static_cast<int>(kind)];
};

// A sequence of owned values in text order.
class Array {
 public:
  Array();
  ~Array();
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;

  size_t size() const { return values_.size(); }
  bool empty() const { return values_.empty(); }
  const Value& at(size_t index) const { return *values_.at(index); }
  void append(std::unique_ptr<Value> value);
  void reset() { values_.clear(); }

 private:
  std::vector<std::unique_ptr<Value>> values_;
};

// A map from key to owned value, ordered by byte-wise key comparison; each key
// occurs once.
class Object {
 public:
  Object();
  ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  size_t size() const { return members_.size(); }
  bool empty() const { return members_.empty(); }
  void reset() { members_.clear(); }
  // Stores a member; an earlier value under the same key is freed.
  void set(const std::string& key, std::unique_ptr<Value> value);
  // The keys in their stored order.
  std::vector<std::string> keys() const;

  // True when the key is held and its value has the kind of T.
  template <typename T>
  bool has(const std::string& key) const;
  // The value of the key; only to be called when has<T>(key) holds. Misuse is
  // reported on standard error and ends the process.
  template <typename T>
  const T& get(const std::string& key) const;

 private:
  const Value* find(const std::string& key) const;

  std::map<std::string, std::unique_ptr<Value>> members_;
};

class Value {
 public:
  Value();
  ~Value();
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;

  Kind kind() const { return kind_; }
  template <typename T>
  bool is() const {
    return kind_ == KindOf<T>::kind;
  }
  // The payload; only to be called when is<T>() holds. Misuse is reported on
  // standard error and ends the process.
  template <typename T>
  const T& get() const;

  // Each setter frees the previous payload and gives the value its new kind.
  void setNumber(double number);
  void setString(std::string text);
  void setBoolean(bool boolean);
  void setNull();
  Array& setArray();
  Object& setObject();
  void reset();

 private:
  Kind kind_ = Kind::Invalid;
  double number_ = 0.0;
  bool boolean_ = false;
  std::string string_;
  std::unique_ptr<Array> array_;
  std::unique_ptr<Object> object_;
};

}  // namespace services::json
