#include "standin/bridge/json_line.h"

#include <charconv>
#include <cmath>

#include "standin/bridge/utf16.h"

namespace orvex_bridge {

void AppendJsonString(std::string& out, std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out.push_back(kHex[byte >> 4]);
          out.push_back(kHex[byte & 0xF]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

void AppendJsonFloat(std::string& out, float value) {
  if (std::isnan(value)) {
    out += "\"nan\"";
  } else if (std::isinf(value)) {
    out += value < 0 ? "\"-inf\"" : "\"inf\"";
  } else {
    char buffer[32];
    // Without a format, to_chars gives the shortest text that reads back to the same float.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
  }
}

namespace {

void AppendInt(std::string& out, long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace

void JsonLine::Key(std::string_view key) {
  if (!members_.empty()) members_.push_back(',');
  AppendJsonString(members_, key);
  members_.push_back(':');
}

JsonLine& JsonLine::Null(std::string_view key) {
  Key(key);
  members_ += "null";
  return *this;
}

JsonLine& JsonLine::Bool(std::string_view key, bool value) {
  Key(key);
  members_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::Int(std::string_view key, long long value) {
  Key(key);
  AppendInt(members_, value);
  return *this;
}

JsonLine& JsonLine::Float(std::string_view key, float value) {
  Key(key);
  AppendJsonFloat(members_, value);
  return *this;
}

JsonLine& JsonLine::Text(std::string_view key, std::string_view utf8) {
  Key(key);
  AppendJsonString(members_, utf8);
  return *this;
}

JsonLine& JsonLine::Text(std::string_view key, const platform::Utf16Char* utf16) {
  if (utf16 == nullptr) return Null(key);
  return Text(key, std::string_view(Utf16ToUtf8(utf16)));
}

namespace {

// A JSON array of the `count` values, each written by append(out, value).
template <class T, class Append>
void AppendArray(std::string& out, const T* values, int count, Append append) {
  out.push_back('[');
  for (int i = 0; i < count; ++i) {
    if (i > 0) out.push_back(',');
    append(out, values[i]);
  }
  out.push_back(']');
}

}  // namespace

JsonLine& JsonLine::Floats(std::string_view key, const float* values, int count) {
  if (count > 0 && values == nullptr) return Null(key);
  Key(key);
  AppendArray(members_, values, count, AppendJsonFloat);
  return *this;
}

JsonLine& JsonLine::Ints(std::string_view key, const int* values, int count) {
  if (count > 0 && values == nullptr) return Null(key);
  Key(key);
  AppendArray(members_, values, count, [](std::string& out, int value) { AppendInt(out, value); });
  return *this;
}

}  // namespace orvex_bridge
