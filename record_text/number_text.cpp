#include "record_text/number_text.h"

#include <charconv>
#include <system_error>

namespace record_text {

std::wstring NumberText(double value) {
  // The widest fixed-point text of a double: 309 integer digits, the point,
  // six decimals and a sign.
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return std::wstring();
  return std::wstring(buffer, result.ptr);
}

}  // namespace record_text
