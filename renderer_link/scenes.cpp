#include "renderer_link/scenes.h"

#include "common/element_id.h"
#include "common/renderer_frame.h"
#include "common/sdk_text.h"

namespace renderer_link {

void SendScenes(bridge::Bridge& handle, const CRhinoDoc* doc) {
  if (!doc) return;
  handle.TakeUp();
  const common::RendererFrame frame(doc);
  for (int i = 0;; ++i) {
    const ON_3dmView* view = doc->Properties().NamedView(i);
    if (!view) break;
    const ON_wString name = view->m_name;
    const common::CameraRecord camera = frame.Camera(view->m_vp);
    handle.AddScene(bridge::Text(common::UuidToText(view->m_named_view_id)),
                    bridge::Text(common::WideText(name)), camera.values, camera.fov);
  }
  handle.StartSendScenes(bridge::Text(common::WideText(doc->GetPathName())));
}

}  // namespace renderer_link
