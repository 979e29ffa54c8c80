// The link between the host's document and the renderer: the one bridge, the
// exporters that send through it, the linked document, and what keeps the
// renderer in step with it (view sync, the document watcher, live sync).
// Everything here runs on the host's command thread, but the view-sync
// threads and the connect of a live update, which get bridge handles of
// their own and copies of what they read.
#pragma once

#include <memory>

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "light/light_exporter.h"
#include "model_export/model_exporter.h"
#include "renderer_link/document_watcher.h"
#include "renderer_link/live_sync.h"
#include "renderer_link/material_watcher.h"
#include "renderer_link/view_sync.h"

namespace renderer_link {

class Link {
 public:
  // Takes the bridge library up for the link and for each of its two
  // exporters, as the renderer has always been told the stored folder once
  // for each (a missing library shows its message three times), then
  // registers the idle handlers and the document watcher under the plug-in's
  // id.
  // largeUpdateScript: the command script that sends a large live update.
  Link(const ON_UUID& plugInId, const wchar_t* largeUpdateScript);
  // Running view-sync threads see the flag cleared and end; they hold what
  // they share themselves.
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  // --- Linking ---------------------------------------------------------------
  bool IsLinked() const { return m_linked; }
  // True while linked; otherwise prints "Not Connected!".
  bool CheckLinked() const;
  // The linked document: set by Start, cleared by Stop.
  const CRhinoDoc* Document() const { return m_viewSync->document; }

  // Links the document to the renderer and sends the whole model.
  bool Start(CRhinoDoc* doc);
  // Unlinks (prints "Not Connected!" when unlinked): finishes a live update
  // under way, destroys the renderer model and stops camera synchronisation
  // and live sync. False when there was no link.
  bool Stop();

  // --- Sends while linked -------------------------------------------------------
  // The model again: a live update under way ends first, then the model
  // update and the active camera. A failure ends the link. False when the
  // model was not sent.
  bool SendModelAgain();
  void SendLights();
  void SendScenes();

  // --- View sync -----------------------------------------------------------------
  bool ViewSyncIsOn() const { return m_viewSyncOn; }
  void StartViewSync();
  void StopViewSync();

  // --- Live sync -----------------------------------------------------------------
  bool LiveSyncIsOn() const { return m_liveSync.IsOn(); }
  // Edits made since the link's last send go with the first update.
  void SwitchLiveSyncOn();
  // An update under way still ends first; false when it failed, which ended
  // the link.
  bool SwitchLiveSyncOff();
  // The host is idle: the next step of live sync. A failed update ends the
  // link.
  void OnIdle();
  // Sends a live update under way now, whatever its size (the command that
  // the script given at construction runs). A failure ends the link.
  bool FinishLiveUpdate();

  // The parts, for the tests and benchmarks that look inside.
  const bridge::Bridge& RendererBridge() const { return m_bridge; }
  model_export::ModelExporter& Exporter() { return m_exporter; }
  const DocumentWatcher& Watcher() const { return m_watcher; }
  const LiveSync& Live() const { return m_liveSync; }
  const std::shared_ptr<ViewSyncShared>& ViewSync() const { return m_viewSync; }

 private:
  bridge::Bridge m_bridge;
  // The run flag, the view-sync generation and the linked document as the
  // view-sync threads see them.
  std::shared_ptr<ViewSyncShared> m_viewSync;
  // Gives the view-sync threads the view as it changes, when the host is idle.
  ViewSyncIdle m_viewSyncIdle;
  model_export::ModelExporter m_exporter;
  light::LightExporter m_lights;
  DocumentWatcher m_watcher;
  MaterialWatcher m_materialWatcher;
  // Sends each edit of the linked document while it is on; the host's idle
  // time drives it.
  LiveSync m_liveSync;
  LiveSyncIdle m_liveSyncIdle;
  bool m_linked = false;
  bool m_viewSyncOn = true;
};

}  // namespace renderer_link
