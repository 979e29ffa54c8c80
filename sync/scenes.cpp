#include "sync/scenes.h"

#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "bridge/bridge_text.h"
#include "export/element_id.h"
#include "export/unit_scale.h"
#include "plugin/sdk_helpers.h"
#include "sync/camera_record.h"

void SendScenes(const CRhinoDoc* doc) {
  if (!doc) return;
  BridgeHandle handle;
  bridge::Load(handle);
  const double scale = UnitScale(doc);
  for (int i = 0;; ++i) {
    const ON_3dmView* view = doc->Properties().NamedView(i);
    if (!view) break;
    const ON_wString name = view->m_name;
    const CameraRecord camera = CameraFromViewport(view->m_vp, scale);
    const BridgeText id(UuidToText(view->m_named_view_id));
    const BridgeText nameText(WideText(name));
    ORVEX_BRIDGE_CALL(handle, AddScene, id.c_str(), nameText.c_str(), camera.values, camera.fov);
  }
  const BridgeText path(WideText(doc->GetPathName()));
  ORVEX_BRIDGE_CALL(handle, StartSendScenes, path.c_str());
}
