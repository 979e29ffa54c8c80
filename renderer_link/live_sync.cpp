#include "renderer_link/live_sync.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "platform/platform.h"
#include "renderer_link/link.h"
#include "renderer_link/renderer_answers.h"

namespace renderer_link {
namespace {

using std::chrono::milliseconds;

// Changes are sent once none has come for this long, so a burst of edits
// makes one update.
constexpr milliseconds kQuiet{100};
// How often the command thread looks again at a connect that outlasts its
// wait.
constexpr milliseconds kConnectPoll{5};

}  // namespace

// The connect of an update: the thread that runs it and what it returned.
struct LiveSync::Update {
  std::thread thread;
  std::atomic<bool> connected{false};
  // Written by the thread before it sets `connected`; read after the join.
  std::optional<int> code;
  // The connect's answer was accepted; a large update waits for its command.
  bool answered = false;
};

LiveSync::LiveSync(const bridge::Bridge& bridge, model_export::ModelExporter& exporter,
                   DocumentWatcher& watcher, const wchar_t* largeUpdateScript)
    : m_linkBridge(bridge),
      m_exporter(exporter),
      m_watcher(watcher),
      m_largeUpdateScript(largeUpdateScript) {}

LiveSync::~LiveSync() {
  if (m_update && m_update->thread.joinable()) m_update->thread.join();
}

void LiveSync::SwitchOn() {
  if (!m_connectBridge.IsLoaded()) {
    m_connectBridge = m_linkBridge.ForThread();
    m_connectBridge.TakeUp();
  }
  m_on = true;
}

void LiveSync::WakeAfter(milliseconds after) {
  if (*m_wakePending) return;
  const std::weak_ptr<bool> pending = m_wakePending;
  *m_wakePending = platform::WakeAfter(
      static_cast<unsigned>(std::max(after, milliseconds(1)).count()), [pending] {
        if (const auto flag = pending.lock()) *flag = false;
      });
}

void LiveSync::StartUpdate() {
  m_update = std::make_unique<Update>();
  Update* update = m_update.get();
  const bridge::Bridge* handle = &m_connectBridge;
  try {
    update->thread = std::thread([update, handle] {
      update->code = handle->ConnectAndWait();
      update->connected.store(true);
    });
  } catch (const std::system_error&) {
    // No thread to be had: the connect runs here, and the host waits for it.
    update->code = handle->ConnectAndWait();
    update->connected.store(true);
  }
}

bool LiveSync::OnIdle(const CRhinoDoc* linkedDoc) {
  if (m_update) {
    if (m_update->answered) return true;  // its command sends it
    if (!m_update->connected.load()) {
      // The host raises idle in bursts: the connect thread may be queued
      // behind this one on its core, a scheduler's time slice or more.
      std::this_thread::yield();
      WakeAfter(kConnectPoll);
      return true;
    }
    if (!AnswerOfConnect()) return false;
    // A large update is sent by its command, once the host is back at its
    // prompt; the idle handler does nothing slow.
    if (linkedDoc && m_exporter.IsLargeUpdate(*linkedDoc, m_watcher.Changes(), kLargeUpdate) &&
        RhinoApp().RunScript(linkedDoc->RuntimeSerialNumber(), m_largeUpdateScript, 0))
      return true;
    return FinishUnderWay(linkedDoc);
  }
  if (!m_on || !linkedDoc) return true;
  if (m_watcher.Changes().Empty()) return true;
  if (!m_exporter.HasWorkIn(*linkedDoc, m_watcher.Changes())) {
    // Document properties changed, but not the units: nothing to send.
    m_watcher.ClearChanges();
    return true;
  }
  const auto quiet = std::chrono::steady_clock::now() - m_watcher.LastChange();
  if (quiet < kQuiet) {
    WakeAfter(std::chrono::ceil<milliseconds>(kQuiet - quiet));
    return true;
  }
  StartUpdate();
  WakeAfter(milliseconds(bridge::Bridge::ConnectWaitMilliseconds()));
  return true;
}

bool LiveSync::AnswerOfConnect() {
  if (m_update->thread.joinable()) m_update->thread.join();
  if (AcceptConnectAnswer(m_connectBridge, m_update->code)) {
    m_update->answered = true;
    return true;
  }
  m_update.reset();
  m_on = false;
  return false;
}

bool LiveSync::FinishUnderWay(const CRhinoDoc* linkedDoc) {
  if (!m_update) return true;
  if (!m_update->answered && !AnswerOfConnect()) return false;
  m_update.reset();
  if (linkedDoc && m_exporter.SendChanges(*linkedDoc, m_watcher.TakeChanges())) return true;
  m_on = false;
  return false;
}

void LiveSyncIdle::Notify(const CRhinoIsIdle::CParameters&) { m_link.OnIdle(); }

}  // namespace renderer_link
