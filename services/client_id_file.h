// The analytics client id, kept in a small file so that one installation of
// the host keeps one identity across sessions.
#pragma once

#include <optional>
#include <string>

namespace services {

inline constexpr const wchar_t* kClientIdFileName = L"orvex_RhinoCid.txt";

// "<folder>\McNeel\Rhinoceros\<major>.0\Plug-ins\OrvexConv (<plug-in id>)\orvex_RhinoCid.txt"
// with the given separator; without a folder, the file name alone (a path
// relative to the current directory).
std::wstring ClientIdFilePath(const std::optional<std::wstring>& roamingFolder,
                              int hostMajorVersion, wchar_t separator);

// The last line of the file that holds more than white space, with the white
// space around it removed; nullopt when the file cannot be opened or has no
// such line.
std::optional<std::string> ReadClientId(const std::string& path);

// Writes the id alone, with no line terminator, creating missing folders
// first. False when the file could not be written.
bool WriteClientId(const std::string& path, const std::string& clientId);

// The id stored at the path (converted to the ANSI code page); when there is
// none, a fresh UUID text, written back. A file that cannot be written
// leaves the fresh id in use for this process only.
std::string LoadOrCreateClientId(const std::wstring& path);

}  // namespace services
