// Live sync: while it is on, each edit of the linked document reaches the
// renderer by itself, sending only what changed.
//
// All of it runs on the host's command thread but the bridge's connect and
// its fixed wait, which run on a thread of their own so the host is not held
// up: when the host is idle, changes are pending and none came in the last
// 100 ms, an update starts with the connect; at the first idle after the wait
// the document is read and the changes (those that came during the wait
// included) are sent. At most one update is under way.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "model_export/model_exporter.h"
#include "renderer_link/document_watcher.h"

namespace renderer_link {

class Link;

class LiveSync {
 public:
  // Sends through the link's bridge and exporter what the watcher records.
  LiveSync(const bridge::Bridge& bridge, model_export::ModelExporter& exporter,
           DocumentWatcher& watcher);
  // An update still connecting is waited for; nothing more is sent.
  ~LiveSync();
  LiveSync(const LiveSync&) = delete;
  LiveSync& operator=(const LiveSync&) = delete;

  bool IsOn() const { return m_on; }
  // The first switch-on takes up the bridge handle the connects use.
  void SwitchOn();
  void SwitchOff() { m_on = false; }

  // When the host is idle, with the linked document (null while unlinked):
  // ends an update whose connect has returned, or starts one when changes
  // are pending and quiet. False when an update failed, which switched live
  // sync off: the link then ends.
  bool OnIdle(const CRhinoDoc* linkedDoc);

  // Waits for an update under way and finishes it into the linked document.
  // False when the update failed, which switched live sync off.
  bool FinishUnderWay(const CRhinoDoc* linkedDoc);

  bool UpdateUnderWay() const { return m_update != nullptr; }

 private:
  struct Update;
  void StartUpdate();

  const bridge::Bridge& m_linkBridge;
  model_export::ModelExporter& m_exporter;
  DocumentWatcher& m_watcher;
  bool m_on = false;
  // The connects' own handle: the connect runs on the update's thread.
  bridge::Bridge m_connectBridge;
  std::unique_ptr<Update> m_update;
};

// Tells the link that the host is idle.
class LiveSyncIdle : public CRhinoIsIdle {
 public:
  LiveSyncIdle(ON_UUID plugInId, Link& link) : CRhinoIsIdle(plugInId), m_link(link) {}
  void Notify(const CRhinoIsIdle::CParameters& params) override;

 private:
  Link& m_link;
};

}  // namespace renderer_link
