// Live sync: while it is on, each edit of the linked document reaches the
// renderer by itself, sending only what changed.
//
// All of it runs on the host's command thread but the bridge's connect and
// its fixed wait, which run on a thread of their own so the host is not held
// up: when the host is idle, changes are pending and none came in the last
// 100 ms, an update starts with the connect; at the first idle after the wait
// the document is read and the changes (those that came during the wait
// included) are sent. At most one update is under way.
//
// The host is idle in bursts, after each message it handles, not all the
// time: after the last edit nothing may come until the user moves the mouse.
// So live sync asks the command thread's message loop for a wake-up
// (platform::WakeAfter, a thread timer) when the quiet time will be over and
// when the connect's wait will be, and the idle burst that follows it does
// the next step. The idle handler sends only small updates: a large one (new
// units, or more than kLargeUpdate elements reached) is handed to a command
// of the plug-in's own through RhinoApp().RunScript, which runs it once the
// host is back at its prompt, with the status bar's progress meter and Esc.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
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
  // Sends through the link's bridge and exporter what the watcher records;
  // largeUpdateScript runs the command that sends a large update.
  LiveSync(const bridge::Bridge& bridge, model_export::ModelExporter& exporter,
           DocumentWatcher& watcher, const wchar_t* largeUpdateScript);
  // An update still connecting is waited for; nothing more is sent.
  ~LiveSync();
  LiveSync(const LiveSync&) = delete;
  LiveSync& operator=(const LiveSync&) = delete;

  bool IsOn() const { return m_on; }
  // The first switch-on takes up the bridge handle the connects use.
  void SwitchOn();
  void SwitchOff() { m_on = false; }

  // When the host is idle, with the linked document (null while unlinked):
  // ends an update whose connect has returned (a large one by handing it to
  // its command), or starts one when changes are pending and quiet. False
  // when an update failed, which switched live sync off: the link then ends.
  bool OnIdle(const CRhinoDoc* linkedDoc);

  // Waits for an update under way and finishes it into the linked document.
  // False when the update failed, which switched live sync off.
  bool FinishUnderWay(const CRhinoDoc* linkedDoc);

  bool UpdateUnderWay() const { return m_update != nullptr; }

  // Elements an update may reach and still be sent from the idle handler.
  static constexpr std::size_t kLargeUpdate = 100;

 private:
  struct Update;
  void StartUpdate();
  // Waits for the connect and tells its answer; false when it failed.
  bool AnswerOfConnect();
  // Asks the message loop to wake the command thread after `after`, unless a
  // wake-up is pending already.
  void WakeAfter(std::chrono::milliseconds after);

  const bridge::Bridge& m_linkBridge;
  model_export::ModelExporter& m_exporter;
  DocumentWatcher& m_watcher;
  const wchar_t* m_largeUpdateScript;
  bool m_on = false;
  // The connects' own handle: the connect runs on the update's thread.
  bridge::Bridge m_connectBridge;
  std::unique_ptr<Update> m_update;
  // True while a wake-up asked for has not come; the message loop clears it
  // through a weak hold, so a wake-up that outlives live sync does nothing.
  std::shared_ptr<bool> m_wakePending = std::make_shared<bool>(false);
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
