// The renderer-folder file's line on any bytes: a folder comes back only for
// valid UTF-8 within 16-bit units, and it is exactly the first line without
// its carriage return.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/render_folder_file.h"
#include "fuzz_support.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<std::wstring> folder = bridge::DecodeFolderLine(bytes);

  std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (!line.empty() && line.back() == '\r' && line.size() < bytes.size()) line.remove_suffix(1);
  const std::optional<std::wstring> decoded = platform::Utf8ToWide(line);
  bool fits = decoded.has_value();
  if (decoded)
    for (const wchar_t c : *decoded)
      if (static_cast<unsigned long>(c) > 0xFFFF) fits = false;

  if (!folder) {
    if (fits) orvex_fuzz::Fail("folder line", "a usable line was refused: " + std::string(line));
    return 0;
  }
  if (!fits) orvex_fuzz::Fail("folder line", "an unusable line was accepted: " + std::string(line));
  // Written back, the folder is the line's bytes exactly.
  if (platform::WideToUtf8(*folder) != line)
    orvex_fuzz::Fail("folder line", "the folder is not the first line: " + std::string(line));
  if (folder->find(L'\n') != std::wstring::npos)
    orvex_fuzz::Fail("folder line", "the folder holds a line feed");
  return 0;
}
