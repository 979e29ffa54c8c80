#include "host_desktop.h"

#include <iostream>
#include <utility>

#include "command_line.h"
#include "message_loop.h"

HostDesktop::HostDesktop(const HostOptions& options, Transcript& transcript)
    : m_language(options.languageId),
      m_answers(options.answers.begin(), options.answers.end()),
      m_folders(options.folders.begin(), options.folders.end()),
      m_transcript(transcript),
      m_interactive(StandardInputIsTerminal()) {}

int HostDesktop::SystemDefaultLanguageId() {
  return m_language ? *m_language : platform::DefaultDesktop().SystemDefaultLanguageId();
}

int HostDesktop::ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                unsigned flags) {
  std::lock_guard<std::mutex> lock(m_box_mutex);
  std::cerr << "[" << platform::WideToUtf8(caption) << "] " << platform::WideToUtf8(text)
            << std::endl;
  int answer = 1;
  if (!m_answers.empty()) {
    answer = m_answers.front();
    m_answers.pop_front();
  } else if (m_interactive && (flags & 0xF) != 0) {
    std::cerr << "OK or Cancel? [ok] " << std::flush;
    std::string line;
    if (std::getline(std::cin, line) && (line == "cancel" || line == "c")) answer = 2;
  }
  std::cerr << "  -> " << (answer == 1 ? "OK" : "Cancel") << std::endl;
  m_transcript.RecordMessageBox(text, caption, flags, answer);
  return answer;
}

std::optional<std::wstring> HostDesktop::ChooseFolder(const std::wstring& title) {
  std::cerr << "[folder] " << platform::WideToUtf8(title) << std::endl;
  std::optional<std::wstring> answer;
  if (!m_folders.empty()) {
    if (m_folders.front()) answer = platform::Utf8ToWide(*m_folders.front());
    m_folders.pop_front();
  } else if (m_interactive) {
    answer = platform::DefaultDesktop().ChooseFolder(title);
  }
  std::cerr << "  -> " << (answer ? platform::WideToUtf8(*answer) : std::string("cancel"))
            << std::endl;
  m_transcript.FolderBrowser(title, answer);
  return answer;
}

void HostDesktop::ShellOpen(const std::wstring& verb, const std::wstring& file,
                            const std::wstring& params) {
  // The headless host shows what would open; it starts no browser.
  std::cerr << "[shell " << platform::WideToUtf8(verb) << "] " << platform::WideToUtf8(file) << " "
            << platform::WideToUtf8(params) << std::endl;
  m_transcript.ShellOpen(verb, file, params);
}

bool HostDesktop::WakeAfter(unsigned milliseconds, std::function<void()> wake) {
  rhino_standin::PostTimer(milliseconds, std::move(wake));
  return true;
}

void HostDesktop::CancelWakes() { rhino_standin::ClearTimers(); }
