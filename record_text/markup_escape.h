// Text placed between the tags of a record (material records, light
// descriptions): the markup characters are escaped, so that the record stays
// well-formed XML whatever the names and paths hold.
#pragma once

#include <string>
#include <string_view>

namespace record_text {

// Returns the text with "&" written as "&amp;", "<" as "&lt;" and ">" as
// "&gt;". A character that XML text may not carry at all (control characters
// other than tab, line feed and carriage return, U+FFFE, U+FFFF, a surrogate
// without its partner, a value above U+10FFFF) becomes U+FFFD. Any other text,
// an ordinary name or path, comes back unchanged.
inline std::wstring EscapeMarkup(std::wstring_view text) {
  constexpr wchar_t kReplacement = static_cast<wchar_t>(0xFFFD);
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const auto code = static_cast<unsigned long>(c) & 0xFFFFFFFFul;
    if (c == L'&') {
      out += L"&amp;";
    } else if (c == L'<') {
      out += L"&lt;";
    } else if (c == L'>') {
      out += L"&gt;";
    } else if (code < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') {
      out += kReplacement;
    } else if (code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF) {
      out += kReplacement;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      // A pair of UTF-16 units (high, then low) is one character; a unit on
      // its own, or any surrogate value in a 32-bit wide string, is not.
      const bool high = code <= 0xDBFF;
      const bool pairs = sizeof(wchar_t) == 2 && high && i + 1 < text.size() &&
                         (static_cast<unsigned long>(text[i + 1]) & 0xFFFFul) >= 0xDC00 &&
                         (static_cast<unsigned long>(text[i + 1]) & 0xFFFFul) <= 0xDFFF;
      if (pairs) {
        out += c;
        out += text[++i];
      } else {
        out += kReplacement;
      }
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace record_text
