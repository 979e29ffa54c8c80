// The few things the plug-in's own interfaces spell differently on Windows
// and elsewhere: how a module exports a function, the character type of
// UTF-16 texts, and the path form the C++ file streams take. Everything else
// that differs lives behind platform.h.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/platform.h"

#if defined(_WIN32)
#define ORVEX_EXPORT extern "C" __declspec(dllexport)
#else
#define ORVEX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace platform {

#if defined(_WIN32)
using Utf16Char = wchar_t;  // a wide character is a UTF-16 unit
#else
using Utf16Char = char16_t;
#endif

// The wide text as UTF-16 units.
inline std::basic_string<Utf16Char> WideToUtf16Units(std::wstring_view wide) {
#if defined(_WIN32)
  return std::wstring(wide);
#else
  return WideToUtf16(wide);
#endif
}

// A path on disk from its wide text, in the form the file streams take.
inline std::filesystem::path FilePath(const std::wstring& path) {
#if defined(_WIN32)
  return std::filesystem::path(path);
#else
  return std::filesystem::path(WideToUtf8(path));
#endif
}

}  // namespace platform
