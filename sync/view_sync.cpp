#include "sync/view_sync.h"

#include <optional>
#include <thread>

#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "export/unit_scale.h"
#include "sync/camera_record.h"

namespace {

// Pause after a send, as the renderer expects; and the poll interval while the
// view is unchanged or missing, so an idle link does not spin on a core.
constexpr unsigned kPauseAfterSendMs = 40;
constexpr unsigned kPollIntervalMs = 5;

bool Current(const ViewSyncShared& shared, unsigned generation) {
  return shared.runFlag.load() != 0 && shared.generation.load() == generation;
}

double LinkedScale(ViewSyncShared& shared) {
  std::lock_guard<std::mutex> lock(shared.documentMutex);
  return UnitScale(shared.document);
}

void SendCamera(const BridgeHandle& handle, const CameraRecord& camera) {
  ORVEX_BRIDGE_CALL(handle, SetCameraTransformFov, camera.values, camera.fov);
}

}  // namespace

void StartViewSyncThread(const std::shared_ptr<ViewSyncShared>& shared) {
  // The flag is raised here, on the command thread, so a Stop that follows at
  // once is never undone by a thread that starts late.
  shared->runFlag.store(1);
  const unsigned generation = shared->generation.fetch_add(1) + 1;
  std::thread(ViewSyncLoop, shared, generation).detach();
}

void ViewSyncLoop(std::shared_ptr<ViewSyncShared> shared, unsigned generation) {
  BridgeHandle handle;
  bridge::Load(handle);
  // Nothing sent yet: the first pass always sends.
  std::optional<ON_Viewport> lastSent;
  while (Current(*shared, generation)) {
    CRhinoView* view = RhinoApp().ActiveView();
    if (!view) {
      platform::SleepMilliseconds(kPollIntervalMs);
      continue;
    }
    const ON_Viewport viewport = view->ActiveViewport().VP();
    if (lastSent && lastSent->BoundingBox() == viewport.BoundingBox()) {
      platform::SleepMilliseconds(kPollIntervalMs);
      continue;
    }
    const CameraRecord camera = CameraFromViewport(viewport, LinkedScale(*shared));
    if (!Current(*shared, generation)) break;  // retired while converting: send nothing
    SendCamera(handle, camera);
    lastSent = viewport;
    platform::SleepMilliseconds(kPauseAfterSendMs);
  }
}

void SendActiveCamera(const CRhinoDoc* doc) {
  BridgeHandle handle;
  bridge::Load(handle);
  if (CRhinoView* view = RhinoApp().ActiveView()) {
    const ON_Viewport viewport = view->ActiveViewport().VP();
    SendCamera(handle, CameraFromViewport(viewport, UnitScale(doc)));
  }
}
