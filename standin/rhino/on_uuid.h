// ON_UUID, its text forms, and the RDK's CRhRdkUuid wrapper.
#pragma once

#include <cstdint>
#include <cstring>

#include "on_string.h"

struct ON_UUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  unsigned char Data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

inline bool operator==(const ON_UUID& a, const ON_UUID& b) {
  return std::memcmp(&a, &b, sizeof(ON_UUID)) == 0;
}
inline bool operator!=(const ON_UUID& a, const ON_UUID& b) { return !(a == b); }
bool operator<(const ON_UUID& a, const ON_UUID& b);

extern const ON_UUID ON_nil_uuid;

// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces, either
// letter case. Returns ON_nil_uuid for anything else.
ON_UUID ON_UuidFromString(const char* s);
ON_UUID ON_UuidFromString(const wchar_t* s);
// Parses like ON_UuidFromString; false when the text is not a UUID.
bool ON_UuidTryParse(const wchar_t* s, ON_UUID* out);
// A new random (version 4) UUID.
ON_UUID ON_CreateUuid();
bool ON_UuidIsNil(const ON_UUID& id);
bool ON_UuidIsNotNil(const ON_UUID& id);

// The RDK's UUID holder. Default construction holds the nil UUID.
class CRhRdkUuid {
 public:
  CRhRdkUuid() = default;
  CRhRdkUuid(const ON_UUID& id) : m_id(id) {}
  operator const ON_UUID&() const { return m_id; }
  // The text form: 36 lower-case hexadecimal digits and hyphens (8-4-4-4-12),
  // cut to length characters when length is below 36.
  ON_wString String(int length = 36) const;

 private:
  ON_UUID m_id;
};
