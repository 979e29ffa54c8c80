// The host's desktop and message boxes: scripted answers first, then the
// terminal when standard input is one, else OK for a box and cancel for the
// folder chooser. Everything shown goes to standard error and the transcript.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "command_line.h"
#include "platform/platform.h"
#include "transcript.h"

class HostDesktop : public platform::Desktop {
 public:
  HostDesktop(const HostOptions& options, Transcript& transcript);

  int SystemDefaultLanguageId() override;
  std::optional<std::wstring> ChooseFolder(const std::wstring& title) override;
  void ShellOpen(const std::wstring& verb, const std::wstring& file,
                 const std::wstring& params) override;
  // Timers of the host's own message loop (rhino_standin::PostTimer); the
  // plug-in built for Windows sets real thread timers instead, which the
  // loop dispatches too.
  bool WakeAfter(unsigned milliseconds, std::function<void()> wake) override;
  void CancelWakes() override;
  int ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags);

 private:
  // Message boxes may come from the view-sync thread too.
  std::mutex m_box_mutex;
  std::optional<int> m_language;
  std::deque<int> m_answers;
  std::deque<std::optional<std::string>> m_folders;
  Transcript& m_transcript;
  bool m_interactive;
};
