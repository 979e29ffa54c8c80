#include "bridge/render_folder_file.h"

#include <fstream>
#include <iterator>

#include "platform/platform.h"

namespace bridge {
namespace {

// Paths on disk in the form the C++ streams take on each platform.
#if defined(_WIN32)
const std::wstring& NativePath(const std::wstring& path) { return path; }
#else
std::string NativePath(const std::wstring& path) { return platform::WideToUtf8(path); }
#endif

}  // namespace

std::optional<std::wstring> DecodeFolderLine(std::string_view bytes) {
  std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (line.size() < bytes.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::optional<std::wstring> folder = platform::Utf8ToWide(line);
  if (!folder) return std::nullopt;
  for (wchar_t c : *folder)
    if (static_cast<unsigned long>(c) > 0xFFFF) return std::nullopt;
  if constexpr (sizeof(wchar_t) == 2) {
    for (wchar_t c : *folder)
      if (c >= 0xD800 && c < 0xE000) return std::nullopt;  // a pair: beyond one unit
  }
  return folder;
}

std::optional<std::wstring> ReadFolderFile(const std::wstring& path, bool* opened) {
  std::ifstream file(NativePath(path), std::ios::binary);
  *opened = static_cast<bool>(file);
  if (!file) return std::nullopt;
  std::string line;
  std::getline(file, line, '\n');
  // getline drops the line feed; keep one so that DecodeFolderLine treats a
  // carriage return before it as part of the line end.
  if (!file.eof()) line += '\n';
  return DecodeFolderLine(line);
}

void WriteFolderFile(const std::wstring& path, const std::wstring& folder) {
  std::ofstream file(NativePath(path), std::ios::binary | std::ios::trunc);
  const std::string utf8 = platform::WideToUtf8(folder);
  file.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
}

}  // namespace bridge
