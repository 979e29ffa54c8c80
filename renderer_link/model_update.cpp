#include "renderer_link/model_update.h"

#include "renderer_link/renderer_answers.h"

namespace renderer_link {

bool UpdateModel(const bridge::Bridge& bridge, model_export::ModelExporter& exporter,
                 const CRhinoDoc* doc) {
  if (!exporter.CheckModelToUpdate()) return false;
  if (!ConnectRenderer(bridge)) return false;
  return exporter.SendModelUpdate(doc);
}

}  // namespace renderer_link
