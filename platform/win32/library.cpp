#include <windows.h>
// The shell and COM headers below need the definitions of <windows.h> first.

#include "platform/platform.h"

namespace platform {

ModuleHandle LoadLibraryFromPath(const std::wstring& path) {
  // The altered search path finds the library's own dependencies in its folder.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* FindExport(ModuleHandle module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

std::wstring ModulePathOf(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module))
    return std::wstring();
  // A path may be longer than MAX_PATH (long-path installs): a result that
  // fills the buffer was cut short, so the buffer grows up to the longest
  // path Windows has.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameW(module, &path[0], size);
    if (length == 0) return std::wstring();
    if (length < size) {
      path.resize(length);
      return path;
    }
    if (size >= 32768) return std::wstring();
    path.resize(2 * static_cast<std::size_t>(size));
  }
}

const wchar_t* LibrarySuffix() { return L".dll"; }
wchar_t PathSeparator() { return L'\\'; }

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace platform
