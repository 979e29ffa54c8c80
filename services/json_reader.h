// The plug-in's JSON reader: standard JSON plus a few lenient forms (single
// quotes, line comments, a trailing comma before "}", an empty value before a
// comma). It reads one object from a narrow character stream.
#pragma once

#include <istream>

#include "services/json_value.h"

namespace services::json {

// Containers may nest this many levels, the outermost object counting as one;
// deeper text fails the parse instead of exhausting the stack.
inline constexpr int kMaxNestingDepth = 256;

// Empties the object, then reads one object from the stream. True when it was
// complete and well formed; on false the object keeps every member stored
// before the failure. Characters after the closing brace are not examined.
// Numbers are read with the stream's own extraction in the classic locale, so
// the stream must be able to seek back (string and file streams can).
bool ParseObject(std::istream& in, Object& object);

}  // namespace services::json
