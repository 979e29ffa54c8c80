// Conversion of the UTF-16 texts that cross the bridge into UTF-8.
#pragma once

#include <string>

#include "platform/native.h"

namespace orvex_bridge {

// Converts a NUL-terminated UTF-16 text (the bridge's character type) to UTF-8. Surrogate
// pairs are combined into one code point; a lone surrogate becomes U+FFFD. A null pointer
// yields an empty text.
std::string Utf16ToUtf8(const platform::Utf16Char* text);

// Appends the UTF-8 encoding of one code point (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace orvex_bridge
