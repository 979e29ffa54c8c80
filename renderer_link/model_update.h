// The model update of the send-model command, as the link drives it.
#pragma once

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "model_export/model_exporter.h"

namespace renderer_link {

// There must be a model ("null ptr of model" otherwise), the bridge connects
// (its answer told), then the exporter sends the document again as it
// stands. False when any step fails.
bool UpdateModel(const bridge::Bridge& bridge, model_export::ModelExporter& exporter,
                 const CRhinoDoc* doc);

}  // namespace renderer_link
