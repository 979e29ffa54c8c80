#include "renderer_link/view_sync.h"

#include <chrono>
#include <optional>
#include <system_error>
#include <thread>

#include "common/renderer_frame.h"

namespace renderer_link {
namespace {

// Pause after a send, as the renderer expects. While the view is unchanged or
// missing the thread waits for a change, and looks again at least this often.
constexpr unsigned kPauseAfterSendMs = 40;
constexpr std::chrono::milliseconds kIdleRecheck{100};

bool Current(const ViewSyncShared& shared, unsigned generation) {
  return shared.runFlag.load() != 0 && shared.generation.load() == generation;
}

// A viewport to send: there is one, and it differs from the last one sent.
bool ViewToSend(const std::optional<ON_Viewport>& viewport,
                const std::optional<ON_BoundingBox>& lastSent) {
  return viewport && !(lastSent && *lastSent == viewport->BoundingBox());
}

enum class SendOutcome { kSent, kExportMissing, kRetired };

// Converts and sends the camera unless the thread has been retired, all under
// the shared lock, so a Stop or a newer thread never sees a late send.
SendOutcome SendIfCurrent(ViewSyncShared& shared, unsigned generation, const bridge::Bridge& handle,
                          const ON_Viewport& viewport, double scale) {
  std::lock_guard<std::mutex> lock(shared.mutex);
  if (!Current(shared, generation)) return SendOutcome::kRetired;
  if (!handle.Has(bridge::Function::kSetCameraTransformFov)) return SendOutcome::kExportMissing;
  const common::CameraRecord camera = common::RendererFrame(scale).Camera(viewport);
  handle.SetCameraTransformFov(camera.values, camera.fov);
  return SendOutcome::kSent;
}

// Counts the thread as running for as long as its body runs.
class RunningThread {
 public:
  explicit RunningThread(ViewSyncShared& shared) : m_shared(shared) {
    m_shared.threadsRunning.fetch_add(1);
  }
  ~RunningThread() { m_shared.threadsRunning.fetch_sub(1); }
  RunningThread(const RunningThread&) = delete;
  RunningThread& operator=(const RunningThread&) = delete;

 private:
  ViewSyncShared& m_shared;
};

}  // namespace

void ViewSyncShared::SetDocument(const CRhinoDoc* doc) {
  document = doc;
  if (doc) {
    Refresh();
    return;
  }
  // Unlinked: nothing of the host is read, not even while the plug-in unloads.
  {
    std::lock_guard<std::mutex> lock(mutex);
    viewport.reset();
  }
  changed.notify_all();
}

void ViewSyncShared::Refresh() {
  std::optional<ON_Viewport> view;
  if (const CRhinoView* active = RhinoApp().ActiveView()) view = active->ActiveViewport().VP();
  const double scale = common::RendererFrame(document).Scale();
  bool differs = false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    differs = view.has_value() != viewport.has_value() || scale != unitScale ||
              (view && !(view->BoundingBox() == viewport->BoundingBox()));
    viewport = std::move(view);
    unitScale = scale;
  }
  // The host idles many times a second: only a change wakes the threads.
  if (differs) changed.notify_all();
}

ViewSyncIdle::ViewSyncIdle(ON_UUID plugInId, std::shared_ptr<ViewSyncShared> shared)
    : CRhinoIsIdle(plugInId), m_shared(std::move(shared)) {}

void ViewSyncIdle::Notify(const CRhinoIsIdle::CParameters&) {
  // Only while a link follows the view.
  if (m_shared->runFlag.load() != 0 && m_shared->document) m_shared->Refresh();
}

void ViewSyncShared::StopThreads() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    runFlag.store(0);
  }
  changed.notify_all();
}

void StartViewSyncThread(const std::shared_ptr<ViewSyncShared>& shared,
                         const bridge::Bridge& handle) {
  unsigned generation = 0;
  {
    // The flag is raised here, on the command thread, so a Stop that follows at
    // once is never undone by a thread that starts late; the new generation
    // retires every earlier thread before the flag is up again.
    std::lock_guard<std::mutex> lock(shared->mutex);
    generation = shared->generation.fetch_add(1) + 1;
    shared->runFlag.store(1);
  }
  shared->changed.notify_all();
  shared->Refresh();
  try {
    std::thread(ViewSyncLoop, shared, generation, handle.ForThread()).detach();
  } catch (const std::system_error&) {
    // No thread could be started: the camera is not followed on this link.
  }
}

void ViewSyncLoop(std::shared_ptr<ViewSyncShared> shared, unsigned generation,
                  bridge::Bridge handle) {
  RunningThread running(*shared);
  handle.TakeUp();
  // The box of the last viewport sent; nothing sent yet, so the first pass sends.
  std::optional<ON_BoundingBox> lastSent;
  for (;;) {
    std::optional<ON_Viewport> viewport;
    double scale = 1.0;
    {
      std::unique_lock<std::mutex> lock(shared->mutex);
      shared->changed.wait_for(lock, kIdleRecheck, [&] {
        return !Current(*shared, generation) || ViewToSend(shared->viewport, lastSent);
      });
      if (!Current(*shared, generation)) break;
      if (!ViewToSend(shared->viewport, lastSent)) continue;
      viewport = shared->viewport;
      scale = shared->unitScale;
    }
    const SendOutcome outcome = SendIfCurrent(*shared, generation, handle, *viewport, scale);
    if (outcome == SendOutcome::kRetired) break;
    // The message is shown outside the lock: a box waiting for the user must
    // not hold up the command thread.
    if (outcome == SendOutcome::kExportMissing) bridge::ShowMissingExport();
    lastSent = viewport->BoundingBox();
    platform::SleepMilliseconds(kPauseAfterSendMs);
  }
}

void SendActiveCamera(bridge::Bridge& handle, const CRhinoDoc* doc) {
  handle.TakeUp();
  if (CRhinoView* view = RhinoApp().ActiveView()) {
    const common::CameraRecord camera =
        common::RendererFrame(doc).Camera(view->ActiveViewport().VP());
    handle.SetCameraTransformFov(camera.values, camera.fov);
  }
}

}  // namespace renderer_link
