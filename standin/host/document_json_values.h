// The values of a document file's JSON, each read as the type its field must
// have: a field that is not what the format says throws a FieldError whose
// message names it ("field 'layers[2].name': expected a string").
#pragma once

#include <cstddef>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>

#include "opennurbs.h"

namespace document_file {

using nlohmann::json;

// A field that is not what the format says: the message names it.
struct FieldError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& field, const std::string& what);

// The member `key` of `object`, or null when it has none.
const json* Member(const json& object, const char* key);

// A number; the strings "nan", "inf" and "-inf" stand for those values.
double Number(const json& value, const std::string& field);

// A whole number within [lo, hi]. A value outside the target type would
// otherwise be converted with undefined or wrapped results.
double Integer(const json& value, const std::string& field, double lo, double hi);

// A string, which must be UTF-8.
std::wstring Text(const json& value, const std::string& field);

// The member `key` of `object`, which must be one of `words`: its place among
// them, or none when the member is absent.
std::optional<std::size_t> Keyword(const json& object, const char* key, const std::string& field,
                                   std::initializer_list<const char*> words);

bool Bool(const json& value, const std::string& field);
const json& Array(const json& value, const std::string& field);
const json& Object(const json& value, const std::string& field);

// Calls read(object, field) for each element of an array of objects, with the
// element's own field name ("layers[2]").
template <class Read>
void EachObject(const json& array, const std::string& field, Read read) {
  Array(array, field);
  for (size_t i = 0; i < array.size(); ++i) {
    const std::string element = field + "[" + std::to_string(i) + "]";
    read(Object(array[i], element), element);
  }
}

ON_3dVector Vector(const json& value, const std::string& field);
ON_3dPoint Point(const json& value, const std::string& field);

// The member "id" of `object`, a UUID text; a new id when it has none.
ON_UUID Id(const json& object, const std::string& field);

// A UUID text naming something else in the file.
ON_UUID Reference(const json& value, const std::string& field);

// The member "name" of `object`; empty when it has none.
std::wstring Name(const json& object, const std::string& field);

// 16 numbers, row by row.
ON_Xform Transform(const json& value, const std::string& field);

// [r, g, b] or [r, g, b, a], bytes from 0 to 255; alpha 0 when not given.
ON_Color ByteColour(const json& value, const std::string& field);

// [r, g, b] or [r, g, b, a], numbers; alpha 1 when not given.
ON_4fColor FloatColour(const json& value, const std::string& field);

}  // namespace document_file
