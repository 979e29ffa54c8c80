// The host commands of the session itself: Exit; Wait, which runs the host's
// messages meanwhile; Esc; and what follows every command line at the prompt.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>

#include "host_command_arguments.h"
#include "host_session.h"
#include "message_loop.h"
#include "platform/platform.h"

bool HostSession::Exit(const std::string&, const Arguments&) {
  m_exit = true;
  return true;
}

bool HostSession::Wait(const std::string&, const Arguments& args) {
  char* end = nullptr;
  const long ms = args.size() == 1 ? std::strtol(args[0].c_str(), &end, 10) : -1;
  if (ms < 0 || ms > 24L * 3600 * 1000 || args[0].empty() || *end != '\0') {
    std::cerr << "Wait takes a number of milliseconds, at most a day" << std::endl;
    return false;
  }
  RunMessagesFor(static_cast<unsigned>(ms));
  return true;
}

bool HostSession::PressEscape(const std::string&, const Arguments& args) {
  // Esc N: the next plug-in command sees the key at the N-th time it lets
  // keys through (RhinoApp().Wait), as a user pressing it at that moment.
  const std::optional<double> n = args.size() == 1 ? host::ParseNumber(args[0]) : std::nullopt;
  if (!n || *n < 0 || *n > 1e9 || *n != static_cast<int>(*n)) {
    std::cerr << "Esc takes the number of the pump of the next command to press it at" << std::endl;
    return false;
  }
  rhino_standin::PressEscapeAtPump(static_cast<int>(*n));
  return true;
}

void HostSession::BackAtPrompt() {
  rhino_standin::IdleBurst();
  RunQueuedScripts();
  RunMessagesFor(0);
}

void HostSession::RunMessagesFor(unsigned milliseconds) {
  // In short slices, so that a script asked for runs soon after.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    rhino_standin::RunMessagesFor(static_cast<unsigned>(std::clamp<long long>(left.count(), 0, 2)));
    RunQueuedScripts();
  } while (std::chrono::steady_clock::now() < end);
}

void HostSession::RunQueuedScripts() {
  while (!m_scripts.empty()) {
    const std::wstring script = m_scripts.front();
    m_scripts.erase(m_scripts.begin());
    // Each line of the script, as typed at the prompt.
    std::istringstream lines(platform::WideToUtf8(script));
    for (std::string line; std::getline(lines, line);) Run(line);
  }
}
