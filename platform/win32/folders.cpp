#include <windows.h>
// The shell and COM headers below need the definitions of <windows.h> first.

#include <knownfolders.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "platform/platform.h"

namespace platform {

std::optional<std::wstring> RoamingAppDataFolder() {
  PWSTR folder = nullptr;
  const HRESULT result =
      SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT_PATH, nullptr, &folder);
  std::optional<std::wstring> path;
  if (SUCCEEDED(result) && folder) path = std::wstring(folder);
  CoTaskMemFree(folder);
  return path;
}

std::wstring FileNamePart(const std::wstring& path) { return PathFindFileNameW(path.c_str()); }

}  // namespace platform
