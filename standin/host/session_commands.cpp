// The host commands of the session itself: Exit, and Wait, idle meanwhile.
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "host_session.h"
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
  // The host is idle while it waits: it says so every few milliseconds.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    RaiseIdle();
    platform::SleepMilliseconds(kIdleIntervalMs);
  }
  return true;
}

void HostSession::RaiseIdle() { rhino_standin::RaiseIdle(m_idle_count++); }
