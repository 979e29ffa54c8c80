#include <dlfcn.h>
#include <time.h>

#include <cerrno>

#include "platform/platform.h"

namespace platform {

ModuleHandle LoadLibraryFromPath(const std::wstring& path) {
  // RTLD_LOCAL keeps the library's symbols to itself; its own dependencies are
  // found through its run path, the POSIX counterpart of the altered search path.
  return dlopen(WideToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindExport(ModuleHandle module, const char* name) {
  if (!module) return nullptr;
  return dlsym(module, name);
}

std::wstring ModulePathOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname) return std::wstring();
  auto wide = Utf8ToWide(info.dli_fname);
  return wide ? *wide : std::wstring();
}

const wchar_t* LibrarySuffix() { return L".so"; }
wchar_t PathSeparator() { return L'/'; }

void SleepMilliseconds(unsigned milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

}  // namespace platform
