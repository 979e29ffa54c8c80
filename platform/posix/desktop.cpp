// The POSIX desktop: the language from the locale variables, the folder chooser
// on the terminal, and addresses opened with xdg-open.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/platform.h"

namespace platform {
namespace {

class PosixDesktop : public Desktop {
 public:
  int SystemDefaultLanguageId() override {
    const char* lcAll = std::getenv("LC_ALL");
    const char* locale = (lcAll && *lcAll) ? lcAll : std::getenv("LANG");
    return (locale && std::strncmp(locale, "zh_CN", 5) == 0) ? 2052 : 1033;
  }

  std::optional<std::wstring> ChooseFolder(const std::wstring& title) override {
    if (!isatty(STDIN_FILENO)) return std::nullopt;
    std::cerr << WideToUtf8(title) << " (empty line cancels) " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line) || line.empty()) return std::nullopt;
    auto wide = Utf8ToWide(line);
    if (!wide) return std::nullopt;
    return wide;
  }

  void ShellOpen(const std::wstring&, const std::wstring& file,
                 const std::wstring& params) override {
    // "explorer.exe" with an address means: open the address.
    const std::wstring target = (file == L"explorer.exe" && !params.empty()) ? params : file;
    const std::string address = WideToUtf8(target);
    const pid_t child = fork();
    if (child == 0) {
      // The grandchild runs xdg-open, so nobody has to wait for the browser.
      if (fork() == 0) {
        char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(address.c_str()), nullptr};
        execvp("xdg-open", argv);
        _exit(127);
      }
      _exit(0);
    }
    if (child > 0) waitpid(child, nullptr, 0);
  }
};

}  // namespace

Desktop& DefaultDesktop() {
  static PosixDesktop desktop;
  return desktop;
}

}  // namespace platform
