#include "message_loop.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "rhino_event_watcher.h"
#include "standin_host.h"
#include "standin_state.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace rhino_standin {
namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  Clock::time_point due;
  unsigned long long order;
  std::function<void()> wake;
};

struct Loop {
  std::vector<Timer> timers;
  unsigned long long posted = 0;
  // The pumps of the next command at which Esc is pressed (0: before its
  // first); a press outside a command reaches none.
  std::vector<int> escapeAtPumps;
  int pumps = 0;
};

// Never destroyed: a plug-in's objects may forget their timers while the
// process exits, after the library's own statics are gone.
Loop& TheLoop() {
  static Loop* const loop = new Loop;
  return *loop;
}

// The earliest timer that is due by `by`, taken off the list; false when none.
bool TakeDue(Clock::time_point by, Timer* taken) {
  auto& timers = TheLoop().timers;
  auto first = std::min_element(timers.begin(), timers.end(), [](const Timer& a, const Timer& b) {
    return a.due != b.due ? a.due < b.due : a.order < b.order;
  });
  if (first == timers.end() || first->due > by) return false;
  *taken = std::move(*first);
  timers.erase(first);
  return true;
}

// The thread's own messages due now (Windows: the plug-in's thread timers);
// true when one was dispatched.
bool DispatchThreadMessages() {
#if defined(_WIN32)
  bool any = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
    any = true;
  }
  return any;
#else
  return false;
#endif
}

}  // namespace

void PostTimer(unsigned milliseconds, std::function<void()> wake) {
  Loop& loop = TheLoop();
  loop.timers.push_back(
      {Clock::now() + std::chrono::milliseconds(milliseconds), loop.posted++, std::move(wake)});
}

int PendingTimers() { return static_cast<int>(TheLoop().timers.size()); }

void ClearTimers() { TheLoop().timers.clear(); }

void IdleBurst() {
  for (int count = 0; count < kIdleBurst; ++count) RaiseIdle(count);
}

void RunMessagesFor(unsigned milliseconds) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    Timer timer;
    if (TakeDue(std::min(Clock::now(), end), &timer)) {
      if (timer.wake) timer.wake();
      IdleBurst();
      continue;
    }
    if (DispatchThreadMessages()) {
      IdleBurst();
      continue;
    }
    const Clock::time_point now = Clock::now();
    if (now >= end) return;
    // Sleep until the next timer or the end, looking at the thread's own
    // messages at least every few milliseconds.
    Clock::time_point next = end;
    for (const Timer& t : TheLoop().timers) next = std::min(next, t.due);
    next = std::min(next, now + std::chrono::milliseconds(2));
    std::this_thread::sleep_until(next);
  }
}

void PumpForWait(unsigned milliseconds) {
  Loop& loop = TheLoop();
  if (CommandState().running > 0) {
    ++loop.pumps;
    auto& presses = loop.escapeAtPumps;
    const auto pressed =
        std::remove_if(presses.begin(), presses.end(), [&](int at) { return at <= loop.pumps; });
    if (pressed != presses.end()) SetCommandCanceled(true);
    presses.erase(pressed, presses.end());
  }
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    Timer timer;
    while (TakeDue(Clock::now(), &timer))
      if (timer.wake) timer.wake();
    DispatchThreadMessages();
    if (Clock::now() >= end) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (true);
}

void PressEscapeAtPump(int n) { TheLoop().escapeAtPumps.push_back(n < 0 ? 0 : n); }

void CommandStarted() {
  // A press before the first pump waits in the queue for it.
  TheLoop().pumps = 0;
}

void CommandEnded() {
  // A press the command never let through is gone with it.
  TheLoop().escapeAtPumps.clear();
}

}  // namespace rhino_standin
