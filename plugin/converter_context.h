// The plug-in's link state: one process-wide context, created on first use,
// plus the connected and view-sync flags of the command thread.
#pragma once

#include <memory>

#include "RhinoSdk.h"
#include "bridge/bridge_handle.h"
#include "sync/event_watcher.h"
#include "sync/live_sync.h"
#include "sync/view_sync.h"

class ModelExporter;
class LightExporter;

class ConverterContext {
 public:
  // Loads the bridge three times (its own handle, the model exporter's and the
  // light exporter's), then registers and enables the event watchers.
  ConverterContext();
  ~ConverterContext();
  ConverterContext(const ConverterContext&) = delete;
  ConverterContext& operator=(const ConverterContext&) = delete;

  std::unique_ptr<BridgeHandle> bridge;
  // The run flag, the view-sync generation and the linked document as the
  // view-sync threads see them.
  std::shared_ptr<ViewSyncShared> viewSync;
  // Gives the view-sync threads the view as it changes, when the host is idle.
  std::unique_ptr<ViewSyncIdle> viewSyncIdle;
  std::unique_ptr<ModelExporter> modelExporter;
  std::unique_ptr<BridgeHandle> lightBridge;
  std::unique_ptr<LightExporter> lightExporter;
  CEventWatcher eventWatcher;
  // Sends each edit of the linked document while it is on; the host's idle
  // time drives it.
  std::unique_ptr<LiveSync> liveSync;
  std::unique_ptr<LiveSyncIdle> liveSyncIdle;

  // The linked document: set by Start, cleared by Stop. It is kept with what
  // the view-sync threads share, which follows it.
  const CRhinoDoc* Document() const { return viewSync->document; }
  void SetDocument(const CRhinoDoc* doc) { viewSync->SetDocument(doc); }
};

// The one context, created by the first caller (thread-safe).
ConverterContext& TheConverterContext();

// Flags of the command thread: linked, and view sync on.
struct LinkFlags {
  unsigned char connected = 0;
  unsigned char viewSyncOn = 1;
};
LinkFlags& TheLinkFlags();

// Links the command's document to the renderer and sends the whole model.
bool StartFlow(ConverterContext& context, CRhinoDoc* doc);
// Unlinks: finishes a live update under way, destroys the renderer model and
// stops camera synchronisation and live sync.
bool StopFlow(ConverterContext& context);
