#include "renderer_link/link.h"

#include "common/messages.h"
#include "platform/platform.h"
#include "renderer_link/model_update.h"
#include "renderer_link/scenes.h"

namespace renderer_link {

Link::Link(const ON_UUID& plugInId, const wchar_t* largeUpdateScript)
    : m_viewSync(std::make_shared<ViewSyncShared>()),
      m_viewSyncIdle(plugInId, m_viewSync),
      m_exporter(m_bridge),
      m_lights(m_bridge),
      m_watcher(*this),
      m_materialWatcher(m_watcher),
      m_liveSync(m_bridge, m_exporter, m_watcher, largeUpdateScript),
      m_liveSyncIdle(plugInId, *this) {
  m_bridge.TakeUp();  // a failure has shown its message; the link goes on
  m_viewSyncIdle.Register();
  m_bridge.TakeUp();  // for the model exporter
  m_bridge.TakeUp();  // for the light exporter
  m_watcher.Register();
  m_watcher.Enable(true);
  m_liveSyncIdle.Register();
}

Link::~Link() {
  // No wake-up asked for by live sync outlives it.
  platform::CancelWakes();
  m_viewSync->StopThreads();
  m_viewSync->SetDocument(nullptr);
}

bool Link::CheckLinked() const {
  if (m_linked) return true;
  common::PrintConsole("Not Connected!\n");
  return false;
}

bool Link::SendModelAgain() {
  if (!FinishLiveUpdate()) return false;
  // Everything goes again: nothing is left pending.
  m_watcher.ClearChanges();
  if (!UpdateModel(m_bridge, m_exporter, Document())) {
    Stop();  // a failed update ends the link
    return false;
  }
  // Cancelled with Esc: the link stands, the next send sends everything.
  if (m_exporter.LastSendCanceled()) return false;
  SendActiveCamera(m_bridge, Document());
  return true;
}

void Link::SendLights() { m_lights.SendLights(Document()); }

void Link::SendScenes() { renderer_link::SendScenes(m_bridge, Document()); }

void Link::StartViewSync() {
  StartViewSyncThread(m_viewSync, m_bridge);
  m_viewSyncOn = true;
}

void Link::StopViewSync() {
  m_viewSync->StopThreads();
  m_viewSyncOn = false;
}

void Link::SwitchLiveSyncOn() { m_liveSync.SwitchOn(); }

bool Link::SwitchLiveSyncOff() {
  if (!FinishLiveUpdate()) return false;
  m_liveSync.SwitchOff();
  return true;
}

bool Link::FinishLiveUpdate() {
  if (m_liveSync.FinishUnderWay(Document())) return true;
  Stop();
  return false;
}

void Link::OnIdle() {
  if (!m_liveSync.OnIdle(m_linked ? Document() : nullptr)) Stop();
}

}  // namespace renderer_link
