// The host's main thread as MFC runs it: its messages (here, the timers the
// plug-in asks for) dispatched in turn, and after each message, and after
// each command line, a burst of idle time: CRhinoIsIdle::Notify with m_count
// 0, then 1. Then nothing more until the next message: the host is not idle
// continuously. On Windows the thread's own messages (real thread timers)
// are dispatched with them.
#pragma once

#include <functional>

namespace rhino_standin {

// The idle calls of one burst (m_count 0 to kIdleBurst - 1): what MFC's
// CWinApp::OnIdle asks for before it has nothing more to do.
inline constexpr int kIdleBurst = 2;

// A timer for a desktop's WakeAfter: wake runs on the main thread after
// about `milliseconds`, when the host runs its messages.
void PostTimer(unsigned milliseconds, std::function<void()> wake);
// The timers not yet run.
int PendingTimers();
// Forgets every timer (a document closed, the host ends).
void ClearTimers();

// An idle burst, as after a command line.
void IdleBurst();
// Runs the main thread's messages for `milliseconds`: each timer when it is
// due, with an idle burst after it. Sleeps while nothing is due.
void RunMessagesFor(unsigned milliseconds);
// The message pump of RhinoApp().Wait: the timers due now, without idle
// time, then a wait of `milliseconds`; the Esc key pressed at this pump
// reaches the running command.
void PumpForWait(unsigned milliseconds);

// Presses Esc at the n-th pump (1 = the first) of the next plug-in command
// that runs; n = 0 presses it before the command's first pump, where it waits
// for that pump. Each call is a press of its own.
void PressEscapeAtPump(int n);

}  // namespace rhino_standin
