// Operating-system services behind one small interface. The plug-in calls only
// these; platform/win32 and platform/posix implement them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// --- Libraries ----------------------------------------------------------------
using ModuleHandle = void*;

// Loads a library so that its own dependencies are found in its folder
// (LoadLibraryExW with LOAD_WITH_ALTERED_SEARCH_PATH; dlopen). Null on failure.
ModuleHandle LoadLibraryFromPath(const std::wstring& path);
// Address of an export by its unmangled name, or null.
void* FindExport(ModuleHandle module, const char* name);
// Full path of the loaded module that holds the given address; empty when unknown.
std::wstring ModulePathOf(const void* addressInModule);
// The module suffix of this platform: L".dll" or L".so".
const wchar_t* LibrarySuffix();
// The path separator of this platform.
wchar_t PathSeparator();

// --- Time -------------------------------------------------------------------------
void SleepMilliseconds(unsigned milliseconds);

// --- Desktop: dialog-like services, replaceable by a host or a test ---------------
class Desktop {
 public:
  virtual ~Desktop() = default;
  // The system default language id (2052 selects Simplified Chinese).
  virtual int SystemDefaultLanguageId() = 0;
  // A folder chooser with the given title; nullopt when the user cancels.
  virtual std::optional<std::wstring> ChooseFolder(const std::wstring& title) = 0;
  // Runs a shell verb on a program with parameters (ShellExecuteW; xdg-open on POSIX).
  virtual void ShellOpen(const std::wstring& verb, const std::wstring& file,
                         const std::wstring& params) = 0;
  // Asks the calling thread's message loop to call `wake` on that thread once,
  // after about `milliseconds` (Windows: a thread timer, SetTimer without a
  // window, killed once it has fired). The host's idle time follows it, as it
  // follows any message. False when the thread has no loop to ask: the
  // terminal of a POSIX process has none.
  virtual bool WakeAfter(unsigned milliseconds, std::function<void()> wake);
  // Forgets every wake-up not yet run (before the code they call goes away).
  virtual void CancelWakes();
};

// The platform's own desktop (the real dialogs on Windows; the terminal and
// xdg-open on POSIX).
Desktop& DefaultDesktop();
// Replaces the desktop in use; null restores the default. Not thread-safe: set
// it before any plug-in code runs.
void SetDesktop(Desktop* desktop);
Desktop& CurrentDesktop();

// Shorthands through the current desktop.
int SystemDefaultLanguageId();
std::optional<std::wstring> ChooseFolder(const std::wstring& title);
void ShellOpen(const std::wstring& verb, const std::wstring& file, const std::wstring& params);
bool WakeAfter(unsigned milliseconds, std::function<void()> wake);
void CancelWakes();

// --- Files and folders ----------------------------------------------------------
// The roaming application-data folder without a trailing separator (Windows:
// FOLDERID_RoamingAppData; POSIX: $XDG_CONFIG_HOME, else ~/.config); nullopt on failure.
std::optional<std::wstring> RoamingAppDataFolder();
// The file-name part of a path (PathFindFileNameW): the text after the last separator.
std::wstring FileNamePart(const std::wstring& path);

// --- Environment ----------------------------------------------------------------
// The value of an environment variable as UTF-8 (Windows: read wide, so that a
// path outside the ANSI code page survives); nullopt when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// --- Identifiers -------------------------------------------------------------------
// A freshly made UUID as 36 lower-case hexadecimal digits in 8-4-4-4-12 groups.
std::string NewUuidText();

// --- Text ---------------------------------------------------------------------------
// UTF-8 to wide text; nullopt when the bytes are not valid UTF-8.
std::optional<std::wstring> Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// Appends the UTF-8 form of one code point (below U+110000, not a surrogate).
void AppendUtf8(std::string& out, char32_t c);
// Wide text to and from UTF-16 units (identity where wchar_t is 16 bits).
std::u16string WideToUtf16(std::wstring_view wide);
std::wstring Utf16ToWide(std::u16string_view utf16);
// Wide text to and from the thread's ANSI code page (UTF-8 on POSIX).
std::string WideToAnsi(std::wstring_view wide);
std::wstring AnsiToWide(std::string_view ansi);

}  // namespace platform
