#include "bridge/render_folder_file.h"

#include <cstdint>
#include <fstream>
#include <iterator>

#include "bridge/library_location.h"
#include "platform/native.h"
#include "platform/platform.h"

namespace bridge {

std::optional<std::wstring> DecodeFolderLine(std::string_view bytes) {
  std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (line.size() < bytes.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::optional<std::wstring> folder = platform::Utf8ToWide(line);
  if (!folder) return std::nullopt;
  // A character beyond one 16-bit unit: a wide character above U+FFFF, or a
  // surrogate pair where wide characters are 16 bits.
  for (wchar_t c : *folder) {
    const std::uint32_t unit = static_cast<std::uint32_t>(c);
    if (unit > 0xFFFF || (unit >= 0xD800 && unit < 0xE000)) return std::nullopt;
  }
  return folder;
}

std::optional<std::wstring> ReadFolderFile(const std::wstring& path, bool* opened) {
  std::ifstream file(platform::FilePath(path), std::ios::binary);
  *opened = static_cast<bool>(file);
  if (!file) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return DecodeFolderLine(bytes);
}

void WriteFolderFile(const std::wstring& path, const std::wstring& folder) {
  std::ofstream file(platform::FilePath(path), std::ios::binary | std::ios::trunc);
  const std::string utf8 = platform::WideToUtf8(folder);
  file.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
}

std::optional<std::wstring> StoredInstallationFolder() {
  bool opened = false;
  std::optional<std::wstring> folder = ReadFolderFile(FolderFilePath(PlugInFolder()), &opened);
  if (!opened) return std::nullopt;
  return folder;
}

bool CanStoreInstallationFolder(const std::wstring& folder) {
  return DecodeFolderLine(platform::WideToUtf8(folder)).has_value();
}

void StoreInstallationFolder(const std::wstring& folder) {
  WriteFolderFile(FolderFilePath(PlugInFolder()), folder);
}

}  // namespace bridge
