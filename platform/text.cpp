// UTF-8 / UTF-16 / wide conversions, the same on every platform: wide text is
// UTF-16 where wchar_t has 16 bits and UTF-32 elsewhere.
#include <cstdint>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

template <class Unit>
void AppendUtf16(std::basic_string<Unit>& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<Unit>(c);
  } else {
    c -= 0x10000;
    out += static_cast<Unit>(0xD800 + (c >> 10));
    out += static_cast<Unit>(0xDC00 + (c & 0x3FF));
  }
}

// Decodes UTF-16 units into code points; a lone surrogate becomes U+FFFD.
template <class Unit, class Sink>
void DecodeUtf16(std::basic_string_view<Unit> in, Sink sink) {
  for (size_t i = 0; i < in.size(); ++i) {
    const char32_t u = static_cast<std::uint16_t>(in[i]);
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < in.size()) {
      const char32_t low = static_cast<std::uint16_t>(in[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        sink(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    sink((u >= 0xD800 && u < 0xE000) ? kReplacement : u);
  }
}

template <class Sink>
void DecodeWide(std::wstring_view wide, Sink sink) {
  if constexpr (sizeof(wchar_t) == 2) {
    DecodeUtf16<wchar_t>(wide, sink);
  } else {
    for (wchar_t w : wide) {
      const char32_t c = static_cast<char32_t>(w);
      sink((c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) ? kReplacement : c);
    }
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2)
    AppendUtf16(out, c);
  else
    out += static_cast<wchar_t>(c);
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::optional<std::wstring> Utf8ToWide(std::string_view in) {
  std::wstring out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    const unsigned char b0 = static_cast<unsigned char>(in[i]);
    int extra;
    char32_t c;
    char32_t minimum;
    if (b0 < 0x80) {
      out += static_cast<wchar_t>(b0);
      ++i;
      continue;
    } else if ((b0 & 0xE0) == 0xC0) {
      extra = 1, c = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2, c = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      extra = 3, c = b0 & 0x07, minimum = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<size_t>(extra) >= in.size()) return std::nullopt;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char b = static_cast<unsigned char>(in[i + k]);
      if ((b & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
    AppendWide(out, c);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  DecodeWide(wide, [&](char32_t c) { AppendUtf8(out, c); });
  return out;
}

std::u16string WideToUtf16(std::wstring_view wide) {
  std::u16string out;
  out.reserve(wide.size());
  DecodeWide(wide, [&](char32_t c) { AppendUtf16(out, c); });
  return out;
}

std::wstring Utf16ToWide(std::u16string_view utf16) {
  std::wstring out;
  out.reserve(utf16.size());
  DecodeUtf16<char16_t>(utf16, [&](char32_t c) { AppendWide(out, c); });
  return out;
}

}  // namespace platform
