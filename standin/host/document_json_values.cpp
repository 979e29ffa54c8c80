#include "document_json_values.h"

#include <cmath>
#include <limits>

#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace document_file {

void Fail(const std::string& field, const std::string& what) {
  throw FieldError("field '" + field + "': " + what);
}

const json* Member(const json& object, const char* key) {
  auto it = object.find(key);
  return (it == object.end()) ? nullptr : &*it;
}

double Number(const json& value, const std::string& field) {
  if (value.is_number()) return value.get<double>();
  if (value.is_string()) {
    const std::string s = value.get<std::string>();
    if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
    if (s == "inf") return std::numeric_limits<double>::infinity();
    if (s == "-inf") return -std::numeric_limits<double>::infinity();
  }
  Fail(field, "expected a number");
}

double Integer(const json& value, const std::string& field, double lo, double hi) {
  const double v = value.is_number() ? value.get<double>() : std::nan("");
  if (!(v >= lo && v <= hi) || v != std::floor(v))
    Fail(field, "expected a whole number from " + std::to_string(static_cast<long long>(lo)) +
                    " to " + std::to_string(static_cast<long long>(hi)));
  return v;
}

std::wstring Text(const json& value, const std::string& field) {
  if (!value.is_string()) Fail(field, "expected a string");
  auto wide = platform::Utf8ToWide(value.get<std::string>());
  if (!wide) Fail(field, "not valid UTF-8");
  return *wide;
}

std::optional<std::size_t> Keyword(const json& object, const char* key, const std::string& field,
                                   std::initializer_list<const char*> words) {
  const json* value = Member(object, key);
  if (!value) return std::nullopt;
  if (value->is_string()) {
    const std::string& text = value->get_ref<const std::string&>();
    for (std::size_t place = 0; place < words.size(); ++place)
      if (text == words.begin()[place]) return place;
  }
  std::string allowed;
  for (std::size_t place = 0; place < words.size(); ++place) {
    if (place > 0) allowed += place + 1 == words.size() ? " or " : ", ";
    allowed += words.begin()[place];
  }
  Fail(field + "." + key, "expected " + allowed);
}

bool Bool(const json& value, const std::string& field) {
  if (!value.is_boolean()) Fail(field, "expected true or false");
  return value.get<bool>();
}

const json& Array(const json& value, const std::string& field) {
  if (!value.is_array()) Fail(field, "expected an array");
  return value;
}

const json& Object(const json& value, const std::string& field) {
  if (!value.is_object()) Fail(field, "expected an object");
  return value;
}

ON_3dVector Vector(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() != 3) Fail(field, "expected an array of three numbers");
  return ON_3dVector(Number(value[0], field + "[0]"), Number(value[1], field + "[1]"),
                     Number(value[2], field + "[2]"));
}

ON_3dPoint Point(const json& value, const std::string& field) {
  return ON_3dPoint(Vector(value, field));
}

ON_UUID Id(const json& object, const std::string& field) {
  const json* id = Member(object, "id");
  if (!id) return host::NewUuid();
  ON_UUID uuid;
  if (!host::TryParseUuid(Text(*id, field + ".id"), &uuid)) Fail(field + ".id", "not a UUID text");
  return uuid;
}

ON_UUID Reference(const json& value, const std::string& field) {
  ON_UUID uuid;
  if (!host::TryParseUuid(Text(value, field), &uuid)) Fail(field, "not a UUID text");
  return uuid;
}

std::wstring Name(const json& object, const std::string& field) {
  const json* name = Member(object, "name");
  return name ? Text(*name, field + ".name") : std::wstring();
}

ON_Xform Transform(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() != 16) Fail(field, "expected 16 numbers");
  ON_Xform x;
  for (int i = 0; i < 16; ++i)
    x.m_xform[i / 4][i % 4] = Number(value[i], field + "[" + std::to_string(i) + "]");
  return x;
}

ON_Color ByteColour(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() < 3 || value.size() > 4)
    Fail(field, "expected [r, g, b] or [r, g, b, a] bytes");
  int c[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < value.size(); ++i) {
    const double v = Number(value[i], field);
    if (!(v >= 0 && v <= 255)) Fail(field, "a colour byte must lie in 0..255");
    c[i] = static_cast<int>(v);
  }
  return ON_Color(c[0], c[1], c[2], c[3]);
}

ON_4fColor FloatColour(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() < 3 || value.size() > 4)
    Fail(field, "expected [r, g, b] or [r, g, b, a] numbers");
  float c[4] = {0, 0, 0, 1};
  for (size_t i = 0; i < value.size(); ++i) c[i] = static_cast<float>(Number(value[i], field));
  return ON_4fColor(c[0], c[1], c[2], c[3]);
}

}  // namespace document_file
