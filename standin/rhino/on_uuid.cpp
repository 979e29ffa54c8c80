#include "on_uuid.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

const ON_UUID ON_nil_uuid{};

bool operator<(const ON_UUID& a, const ON_UUID& b) {
  return std::memcmp(&a, &b, sizeof(ON_UUID)) < 0;
}

namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool Parse(std::wstring s, ON_UUID* out) {
  if (s.size() == 38 && s.front() == L'{' && s.back() == L'}') s = s.substr(1, 36);
  if (s.size() != 36) return false;
  unsigned char bytes[16];
  int byte = 0;
  for (size_t i = 0; i < 36;) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (s[i] != L'-') return false;
      ++i;
      continue;
    }
    const int hi = HexDigit(s[i]);
    const int lo = HexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[byte++] = static_cast<unsigned char>(hi * 16 + lo);
    i += 2;
  }
  ON_UUID id;
  id.Data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
             (std::uint32_t(bytes[2]) << 8) | bytes[3];
  id.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  id.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  std::memcpy(id.Data4, bytes + 8, 8);
  *out = id;
  return true;
}

}  // namespace

bool ON_UuidTryParse(const wchar_t* s, ON_UUID* out) { return s && Parse(s, out); }

ON_UUID ON_UuidFromString(const wchar_t* s) {
  ON_UUID id;
  return ON_UuidTryParse(s, &id) ? id : ON_nil_uuid;
}

ON_UUID ON_UuidFromString(const char* s) {
  if (!s) return ON_nil_uuid;
  return ON_UuidFromString(std::wstring(s, s + std::strlen(s)).c_str());
}

ON_UUID ON_CreateUuid() {
  thread_local std::mt19937_64 engine{std::random_device{}()};
  ON_UUID id;
  const std::uint64_t a = engine();
  const std::uint64_t b = engine();
  id.Data1 = static_cast<std::uint32_t>(a >> 32);
  id.Data2 = static_cast<std::uint16_t>(a >> 16);
  id.Data3 = static_cast<std::uint16_t>((a & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<unsigned char>(b >> (8 * i));
  id.Data4[0] = static_cast<unsigned char>((id.Data4[0] & 0x3F) | 0x80);
  return id;
}

bool ON_UuidIsNil(const ON_UUID& id) { return id == ON_nil_uuid; }
bool ON_UuidIsNotNil(const ON_UUID& id) { return !(id == ON_nil_uuid); }

ON_wString CRhRdkUuid::String(int length) const {
  // 8-4-4-4-12 lower-case hexadecimal digits; Data1..Data3 as numbers, Data4
  // byte by byte. Written by hand: an id is formatted for every object sent.
  static const wchar_t kDigits[] = L"0123456789abcdef";
  wchar_t text[36];
  wchar_t* out = text;
  const auto put = [&out](std::uint32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
      *out++ = kDigits[(value >> shift) & 15];
  };
  put(m_id.Data1, 8);
  *out++ = L'-';
  put(m_id.Data2, 4);
  *out++ = L'-';
  put(m_id.Data3, 4);
  *out++ = L'-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) *out++ = L'-';
    put(m_id.Data4[i], 2);
  }
  const int kept = length < 0 ? 0 : (length < 36 ? length : 36);
  return ON_wString(std::wstring(text, static_cast<std::size_t>(kept)));
}
