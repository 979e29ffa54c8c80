// Builds the members of one JSON object of the call log: a key, then a value, in the order the
// calls are made. Texts are escaped, floats written with the shortest decimal text that reads
// back to the same float, and non-finite floats as the strings "nan", "inf" and "-inf".
#pragma once

#include <string>
#include <string_view>

#include "platform/native.h"

namespace orvex_bridge {

// Appends `utf8` as a quoted JSON string: quotes, backslashes and control characters escaped.
void AppendJsonString(std::string& out, std::string_view utf8);

// Appends a float as the shortest decimal text that reads back to the same float, or as one of
// the strings "nan", "inf", "-inf".
void AppendJsonFloat(std::string& out, float value);

class JsonLine {
 public:
  JsonLine& Null(std::string_view key);
  JsonLine& Bool(std::string_view key, bool value);
  JsonLine& Int(std::string_view key, long long value);
  JsonLine& Float(std::string_view key, float value);

  // A UTF-8 text.
  JsonLine& Text(std::string_view key, std::string_view utf8);
  // A NUL-terminated UTF-16 text; a null pointer writes null.
  JsonLine& Text(std::string_view key, const platform::Utf16Char* utf16);

  // `count` elements read from `values`: a count of zero or less writes [], otherwise a null
  // pointer writes null.
  JsonLine& Floats(std::string_view key, const float* values, int count);
  JsonLine& Ints(std::string_view key, const int* values, int count);

  // The members written so far, separated by commas, without the enclosing braces.
  const std::string& Members() const { return members_; }

 private:
  void Key(std::string_view key);

  std::string members_;
};

}  // namespace orvex_bridge
