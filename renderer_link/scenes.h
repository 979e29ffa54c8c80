// The document's named views as renderer scenes.
#pragma once

#include "RhinoSdk.h"
#include "bridge/bridge.h"

namespace renderer_link {

// Takes the bridge up, then AddScene for every named view in list order and
// StartSendScenes with the document's path. Does nothing without a document.
void SendScenes(bridge::Bridge& handle, const CRhinoDoc* doc);

}  // namespace renderer_link
