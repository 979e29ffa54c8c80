#include <windows.h>
// The shell and COM headers below need the definitions of <windows.h> first.

#include "platform/platform.h"

namespace platform {

std::string WideToAnsi(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                      size, nullptr, nullptr);
  return out;
}

std::wstring AnsiToWide(std::string_view ansi) {
  if (ansi.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_THREAD_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(),
                      size);
  return out;
}

}  // namespace platform
