#include "fuzz_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <pugixml.hpp>

#include "platform/platform.h"

namespace orvex_fuzz {

std::wstring UserText(FuzzedDataProvider& input, size_t maxLength) {
  const std::string bytes = input.ConsumeRandomLengthString(maxLength);
  std::wstring text;
  if (std::optional<std::wstring> decoded = platform::Utf8ToWide(bytes)) {
    text = *decoded;
  } else {
    for (const char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  std::wstring kept;
  for (const wchar_t c : text)
    if (c != L'\0') kept.push_back(c);
  return kept;
}

double AnyNumber(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return std::numeric_limits<double>::infinity();
    case 2: return -std::numeric_limits<double>::infinity();
    case 3: return 0.0;
    case 4: return input.ConsumeIntegralInRange<int>(-4, 4);
    case 5: return std::numeric_limits<double>::denorm_min();
    default: return input.ConsumeFloatingPoint<double>();
  }
}

namespace {

bool AllowedInXml(wchar_t c) {
  const auto code = static_cast<unsigned long>(c);
  if (code < 0x20) return c == L'\t' || c == L'\n' || c == L'\r';
  if (code >= 0xD800 && code <= 0xDFFF) return false;
  return code != 0xFFFE && code != 0xFFFF && code <= 0x10FFFF;
}

}  // namespace

std::wstring AsXmlText(const std::wstring& text) {
  std::wstring carried;
  for (const wchar_t c : text) carried += AllowedInXml(c) ? c : static_cast<wchar_t>(0xFFFD);
  return carried;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
    hex += ' ';
  }
  return hex;
}

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

std::string RequireXmlElement(const std::wstring& text, const char* what) {
  const std::string utf8 = platform::WideToUtf8(text);
  for (const wchar_t c : text)
    if (!AllowedInXml(c)) Fail(what, "a character XML may not hold: " + Hex(utf8));
  pugi::xml_document xml;
  const pugi::xml_parse_result result = xml.load_buffer(
      utf8.data(), utf8.size(), pugi::parse_escapes | pugi::parse_ws_pcdata, pugi::encoding_utf8);
  if (!result)
    Fail(what, std::string(result.description()) + " at offset " + std::to_string(result.offset) +
                   " of " + utf8);
  int elements = 0;
  for (pugi::xml_node node = xml.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element) Fail(what, "text outside the element: " + utf8);
    ++elements;
  }
  if (elements != 1) Fail(what, std::to_string(elements) + " top elements in " + utf8);
  return utf8;
}

}  // namespace orvex_fuzz
