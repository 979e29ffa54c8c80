#include <windows.h>
// The shell and COM headers below need the definitions of <windows.h> first.

#include <shellapi.h>
#include <shlobj.h>

#include "platform/platform.h"

namespace platform {
namespace {

class Win32Desktop : public Desktop {
 public:
  int SystemDefaultLanguageId() override { return GetSystemDefaultLangID(); }

  std::optional<std::wstring> ChooseFolder(const std::wstring& title) override {
    BROWSEINFOW info{};
    info.hwndOwner = nullptr;
    info.pidlRoot = nullptr;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNFSANCESTORS;
    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    if (!item) return std::nullopt;
    wchar_t path[MAX_PATH] = L"";
    const BOOL ok = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    if (!ok) return std::nullopt;
    return std::wstring(path);
  }

  void ShellOpen(const std::wstring& verb, const std::wstring& file,
                 const std::wstring& params) override {
    ShellExecuteW(nullptr, verb.c_str(), file.c_str(), params.empty() ? nullptr : params.c_str(),
                  nullptr, SW_SHOW);
  }
};

}  // namespace

Desktop& DefaultDesktop() {
  static Win32Desktop desktop;
  return desktop;
}

}  // namespace platform
