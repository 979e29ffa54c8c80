#include <utility>

#include "platform/platform.h"

namespace platform {
namespace {
Desktop* g_desktop = nullptr;
}

void SetDesktop(Desktop* desktop) { g_desktop = desktop; }
Desktop& CurrentDesktop() { return g_desktop ? *g_desktop : DefaultDesktop(); }

int SystemDefaultLanguageId() { return CurrentDesktop().SystemDefaultLanguageId(); }
std::optional<std::wstring> ChooseFolder(const std::wstring& title) {
  return CurrentDesktop().ChooseFolder(title);
}
void ShellOpen(const std::wstring& verb, const std::wstring& file, const std::wstring& params) {
  CurrentDesktop().ShellOpen(verb, file, params);
}

bool WakeAfter(unsigned milliseconds, std::function<void()> wake) {
  return CurrentDesktop().WakeAfter(milliseconds, std::move(wake));
}

void CancelWakes() { CurrentDesktop().CancelWakes(); }

bool Desktop::WakeAfter(unsigned, std::function<void()>) { return false; }

void Desktop::CancelWakes() {}

}  // namespace platform
