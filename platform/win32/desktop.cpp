#include <windows.h>
// The shell and COM headers below need the definitions of <windows.h> first.

#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <utility>

#include "platform/platform.h"

namespace platform {
namespace {

// The wake-ups asked for, by timer id. Only the command thread asks for them,
// and a thread timer calls its procedure from the message loop of the thread
// that set it: the table is that thread's alone.
// Never destroyed: the plug-in cancels its wake-ups while the process exits.
std::map<UINT_PTR, std::function<void()>>& ThePending() {
  static auto* const pending = new std::map<UINT_PTR, std::function<void()>>;
  return *pending;
}

void CALLBACK OnWakeTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const auto found = ThePending().find(id);
  if (found == ThePending().end()) return;
  const std::function<void()> wake = std::move(found->second);
  ThePending().erase(found);
  if (wake) wake();
}

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

  bool WakeAfter(unsigned milliseconds, std::function<void()> wake) override {
    const UINT_PTR id = SetTimer(nullptr, 0, milliseconds, OnWakeTimer);
    if (id == 0) return false;
    ThePending()[id] = std::move(wake);
    return true;
  }

  void CancelWakes() override {
    for (const auto& pending : ThePending()) KillTimer(nullptr, pending.first);
    ThePending().clear();
  }
};

}  // namespace

Desktop& DefaultDesktop() {
  static Win32Desktop desktop;
  return desktop;
}

}  // namespace platform
