#include "sync/live_sync.h"

#include <chrono>
#include <system_error>

#include "bridge/bridge_loader.h"
#include "export/model_exporter.h"
#include "plugin/converter_context.h"

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

LiveSync::LiveSync() = default;

LiveSync::~LiveSync() {
  if (m_update && m_update->thread.joinable()) m_update->thread.join();
}

void LiveSync::SwitchOn() {
  if (!m_bridge.module) bridge::Load(m_bridge);
  m_on = true;
}

void LiveSync::StartUpdate() {
  m_update = std::make_unique<Update>();
  Update* update = m_update.get();
  const BridgeHandle* handle = &m_bridge;
  try {
    update->thread = std::thread([update, handle] {
      update->code = bridge::ConnectAndWait(*handle);
      update->connected.store(true);
    });
  } catch (const std::system_error&) {
    // No thread to be had: the connect runs here, and the host waits for it.
    update->code = bridge::ConnectAndWait(*handle);
    update->connected.store(true);
  }
}

void LiveSync::OnIdle(ConverterContext& context) {
  if (m_update) {
    if (m_update->connected.load()) FinishUnderWay(context, false);
    return;
  }
  if (!m_on || !TheLinkFlags().connected || !context.Document()) return;
  const CEventWatcher& watcher = context.eventWatcher;
  if (watcher.Changes().Empty()) return;
  if (std::chrono::steady_clock::now() - watcher.LastChange() < kQuiet) return;
  StartUpdate();
}

bool LiveSync::FinishUnderWay(ConverterContext& context, bool stopping) {
  if (!m_update) return true;
  if (m_update->thread.joinable()) m_update->thread.join();
  const std::optional<int> code = m_update->code;
  m_update.reset();
  const bool sent =
      bridge::CheckConnectResult(m_bridge, code) && context.Document() &&
      context.modelExporter->SendChanges(*context.Document(), context.eventWatcher.TakeChanges());
  if (sent) return true;
  m_on = false;
  if (!stopping) StopFlow(context);
  return false;
}

void LiveSyncIdle::Notify(const CRhinoIsIdle::CParameters&) {
  TheConverterContext().liveSync->OnIdle(TheConverterContext());
}
