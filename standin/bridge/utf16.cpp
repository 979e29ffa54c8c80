#include "standin/bridge/utf16.h"

namespace orvex_bridge {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

std::string Utf16ToUtf8(const platform::Utf16Char* text) {
  std::string out;
  if (text == nullptr) return out;
  // Every id, name and key of a send passes through here: the text is
  // measured once and the plain ASCII units, nearly all of them, are copied
  // without the general encoder.
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  out.reserve(length);
  for (const platform::Utf16Char* p = text; *p != 0; ++p) {
    const char16_t unit = static_cast<char16_t>(*p);
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
    } else if (IsHighSurrogate(unit)) {
      if (IsLowSurrogate(p[1])) {
        const char32_t high = unit - 0xD800;
        const char32_t low = p[1] - 0xDC00;
        AppendUtf8(out, 0x10000 + ((high << 10) | low));
        ++p;
      } else {
        AppendUtf8(out, kReplacement);  // the next unit is looked at on its own
      }
    } else if (IsLowSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace orvex_bridge
