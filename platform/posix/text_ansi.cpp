// On POSIX the "ANSI code page" is UTF-8.
#include "platform/platform.h"

namespace platform {

std::string WideToAnsi(std::wstring_view wide) { return WideToUtf8(wide); }

std::wstring AnsiToWide(std::string_view ansi) {
  if (auto wide = Utf8ToWide(ansi)) return *wide;
  // Not UTF-8: keep each byte as one character rather than losing the text.
  std::wstring out;
  for (char c : ansi) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

}  // namespace platform
