// What the fuzz targets share: texts and numbers drawn from the fuzz input, and
// the check that a record is well-formed XML.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace orvex_fuzz {

// A name, path or other user text: up to maxLength bytes of the input read as
// UTF-8 (each byte as its own character when they are not valid UTF-8), with
// any NUL dropped, since host texts end at the first NUL. Markup characters
// are frequent in the seeds.
std::wstring UserText(FuzzedDataProvider& input, size_t maxLength);

// Any double, non-finite values and extremes included.
double AnyNumber(FuzzedDataProvider& input);

// The text as a record carries it: each character that XML text may not hold
// (a control character other than tab, line feed and carriage return, U+FFFE,
// U+FFFF, a surrogate, a value past U+10FFFF) becomes U+FFFD.
std::wstring AsXmlText(const std::wstring& text);

// Stops the process with a report when the text is not exactly one
// well-formed XML element (what the renderer parses), or holds a character
// that XML may not hold; `what` names the builder. Returns the UTF-8 form.
std::string RequireXmlElement(const std::wstring& text, const char* what);

// The bytes of a text in hexadecimal, for reports.
std::string Hex(const std::string& bytes);

// Stops the process with a report.
[[noreturn]] void Fail(const char* what, const std::string& detail);

}  // namespace orvex_fuzz
