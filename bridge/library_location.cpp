#include "bridge/library_location.h"

#include "platform/platform.h"

namespace bridge {
namespace {

constexpr const wchar_t* kFolderFileName = L"orvex_render_folder.strings";

}  // namespace

std::wstring LibraryFileName() { return std::wstring(L"OrvexPlugin") + platform::LibrarySuffix(); }

std::wstring PlugInFolder() {
  const std::wstring module = platform::ModulePathOf(reinterpret_cast<const void*>(&PlugInFolder));
  const size_t cut = module.find_last_of(platform::PathSeparator());
  return cut == std::wstring::npos ? std::wstring() : module.substr(0, cut + 1);
}

std::wstring LibraryPath(const std::wstring& plugInFolder) {
  return plugInFolder + LibraryFileName();
}

std::wstring FolderFilePath(const std::wstring& plugInFolder) {
  const std::wstring up = std::wstring(L"..") + platform::PathSeparator();
  return plugInFolder + up + up + kFolderFileName;
}

}  // namespace bridge
