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
#include "bridge/bridge_handle.h"

class ConverterContext;

class LiveSync {
 public:
  LiveSync();
  // An update still connecting is waited for; nothing more is sent.
  ~LiveSync();
  LiveSync(const LiveSync&) = delete;
  LiveSync& operator=(const LiveSync&) = delete;

  bool IsOn() const { return m_on; }
  // Switching on loads the bridge handle the connects use.
  void SwitchOn();
  void SwitchOff() { m_on = false; }

  // When the host is idle: ends an update whose connect has returned, or
  // starts one when changes are pending and quiet.
  void OnIdle(ConverterContext& context);

  // Waits for an update under way and finishes it. A failure switches live
  // sync off and, unless the link is being stopped already, stops it. False
  // when the update failed.
  bool FinishUnderWay(ConverterContext& context, bool stopping);

  bool UpdateUnderWay() const { return m_update != nullptr; }

 private:
  struct Update;
  void StartUpdate();

  bool m_on = false;
  BridgeHandle m_bridge;
  std::unique_ptr<Update> m_update;
};

// Tells live sync that the host is idle.
class LiveSyncIdle : public CRhinoIsIdle {
 public:
  explicit LiveSyncIdle(ON_UUID plugInId) : CRhinoIsIdle(plugInId) {}
  void Notify(const CRhinoIsIdle::CParameters& params) override;
};
