#include "renderer_link/live_sync.h"

#include <chrono>
#include <system_error>

#include "renderer_link/link.h"
#include "renderer_link/renderer_answers.h"

namespace renderer_link {
namespace {

// Changes are sent once none has come for this long, so a burst of edits
// makes one update.
constexpr std::chrono::milliseconds kQuiet{100};

}  // namespace

// The connect of an update: the thread that runs it and what it returned.
struct LiveSync::Update {
  std::thread thread;
  std::atomic<bool> connected{false};
  // Written by the thread before it sets `connected`; read after the join.
  std::optional<int> code;
};

LiveSync::LiveSync(const bridge::Bridge& bridge, model_export::ModelExporter& exporter,
                   DocumentWatcher& watcher)
    : m_linkBridge(bridge), m_exporter(exporter), m_watcher(watcher) {}

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
  if (m_update) return !m_update->connected.load() || FinishUnderWay(linkedDoc);
  if (!m_on || !linkedDoc) return true;
  if (m_watcher.Changes().Empty()) return true;
  if (std::chrono::steady_clock::now() - m_watcher.LastChange() < kQuiet) return true;
  StartUpdate();
  return true;
}

bool LiveSync::FinishUnderWay(const CRhinoDoc* linkedDoc) {
  if (!m_update) return true;
  if (m_update->thread.joinable()) m_update->thread.join();
  const std::optional<int> code = m_update->code;
  m_update.reset();
  const bool sent = AcceptConnectAnswer(m_connectBridge, code) && linkedDoc &&
                    m_exporter.SendChanges(*linkedDoc, m_watcher.TakeChanges());
  if (sent) return true;
  m_on = false;
  return false;
}

void LiveSyncIdle::Notify(const CRhinoIsIdle::CParameters&) { m_link.OnIdle(); }

}  // namespace renderer_link
