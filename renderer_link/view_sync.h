// Keeps the renderer's camera in step with the host's active view from a
// background thread, one thread per link.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "RhinoSdk.h"
#include "bridge/bridge.h"

namespace renderer_link {

// What the command thread shares with view-sync threads. Threads hold it by
// shared pointer, so it outlives the converter context if a thread is still
// finishing when the plug-in unloads.
struct ViewSyncShared {
  // Held by a view-sync thread from its last look at the run flag and the
  // generation to the end of its send, and by the command thread while it
  // changes them or the document. So once StopThreads returns, or a new thread
  // has been started, no earlier thread sends again.
  std::mutex mutex;
  // Runs while non-zero; the command thread clears it to stop the thread.
  std::atomic<unsigned char> runFlag{1};
  // Each new thread takes the next generation; an older thread that sees a
  // newer generation retires before it sends again.
  std::atomic<unsigned> generation{0};
  // The linked document, set and read on the command thread only. The Stop flow
  // clears it.
  const CRhinoDoc* document = nullptr;
  // The active view's viewport (none without an active view) and the linked
  // document's unit scale, as the command thread last saw them (guarded by the
  // mutex): the host promises nothing of its views or documents off its own
  // thread, so a view-sync thread reads only these copies.
  std::optional<ON_Viewport> viewport;
  double unitScale = 1.0;
  // View-sync threads that have not yet ended.
  std::atomic<int> threadsRunning{0};
  // Wakes the threads when the copies change, the run flag drops or a newer
  // thread starts, so an idle link sleeps instead of polling.
  std::condition_variable changed;

  void SetDocument(const CRhinoDoc* doc);
  // Copies the active view's viewport and the document's unit scale for the
  // threads. On the command thread only.
  void Refresh();
  // Clears the run flag: running threads end at their next check and send
  // nothing more once this returns.
  void StopThreads();
};

// Refreshes the shared copies whenever the host is idle, so that the threads
// follow the view as the user changes it.
class ViewSyncIdle : public CRhinoIsIdle {
 public:
  ViewSyncIdle(ON_UUID plugInId, std::shared_ptr<ViewSyncShared> shared);
  void Notify(const CRhinoIsIdle::CParameters& params) override;

 private:
  std::shared_ptr<ViewSyncShared> m_shared;
};

// Starts a detached view-sync thread with a bridge handle of its own; any
// earlier thread retires.
void StartViewSyncThread(const std::shared_ptr<ViewSyncShared>& shared,
                         const bridge::Bridge& handle);

// The thread's whole body: take up its bridge handle, send the active camera
// whenever the active view changes, until the run flag is cleared or a newer
// thread takes over.
void ViewSyncLoop(std::shared_ptr<ViewSyncShared> shared, unsigned generation,
                  bridge::Bridge handle);

// Sends the active view's camera once (after a model update), taking the
// bridge up first.
void SendActiveCamera(bridge::Bridge& handle, const CRhinoDoc* doc);

}  // namespace renderer_link
