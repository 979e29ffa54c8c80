#include "desktop_interception.h"

#include <windows.h>
// The shell headers need the definitions of <windows.h> first.

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "platform/platform.h"

namespace {

// A chosen folder travels from the chooser to SHGetPathFromIDListW as an item
// list of the host's own: the marker, then the path, allocated as the shell
// allocates (the plug-in frees it with CoTaskMemFree).
constexpr wchar_t kItemMarker[] = L"orvex-host-folder:";
constexpr std::size_t kMarkerLength = sizeof kItemMarker / sizeof(wchar_t) - 1;

PIDLIST_ABSOLUTE WINAPI HostBrowseForFolder(LPBROWSEINFOW info) {
  const std::wstring title = info && info->lpszTitle ? info->lpszTitle : L"";
  const std::optional<std::wstring> folder = platform::CurrentDesktop().ChooseFolder(title);
  if (!folder) return nullptr;
  const std::wstring item = kItemMarker + *folder;
  auto* block = static_cast<wchar_t*>(CoTaskMemAlloc((item.size() + 1) * sizeof(wchar_t)));
  if (!block) return nullptr;
  std::memcpy(block, item.c_str(), (item.size() + 1) * sizeof(wchar_t));
  return reinterpret_cast<PIDLIST_ABSOLUTE>(block);
}

BOOL WINAPI HostPathFromIdList(PCIDLIST_ABSOLUTE item, LPWSTR path) {
  const auto* text = reinterpret_cast<const wchar_t*>(item);
  if (!text || !path || std::wcsncmp(text, kItemMarker, kMarkerLength) != 0) return FALSE;
  const wchar_t* folder = text + kMarkerLength;
  // The shell's buffer holds MAX_PATH characters; a longer path fails, as it does there.
  if (std::wcslen(folder) >= MAX_PATH) return FALSE;
  std::wcscpy(path, folder);
  return TRUE;
}

HINSTANCE WINAPI HostShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR, INT) {
  platform::CurrentDesktop().ShellOpen(verb ? verb : L"", file ? file : L"", params ? params : L"");
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));  // above 32: success
}

LANGID WINAPI HostSystemDefaultLangID() {
  return static_cast<LANGID>(platform::CurrentDesktop().SystemDefaultLanguageId());
}

// Points the module's import slot of dll!name at the replacement.
bool PatchImport(HMODULE module, const char* dll, const char* name, const void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return false;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
    const DWORD namesAt = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesAt);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD previous = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                          &previous))
        return false;
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, previous, &previous);
      return true;
    }
  }
  return false;
}

}  // namespace

void InterceptDesktopCalls(void* module) {
  const auto handle = static_cast<HMODULE>(module);
  PatchImport(handle, "shell32.dll", "SHBrowseForFolderW",
              reinterpret_cast<const void*>(&HostBrowseForFolder));
  PatchImport(handle, "shell32.dll", "SHGetPathFromIDListW",
              reinterpret_cast<const void*>(&HostPathFromIdList));
  PatchImport(handle, "shell32.dll", "ShellExecuteW",
              reinterpret_cast<const void*>(&HostShellExecute));
  PatchImport(handle, "kernel32.dll", "GetSystemDefaultLangID",
              reinterpret_cast<const void*>(&HostSystemDefaultLangID));
}
