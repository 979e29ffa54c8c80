// The full send of a new link: a new model filled with everything the
// document shows.
#include "model_export/model_exporter.h"

namespace model_export {

void ModelExporter::SendFullModel(const CRhinoDoc* doc) {
  BeginSend(doc);
  m_model = m_bridge.CreateModel();
  SendMaterialsElement(doc);
  if (doc) {
    SendObjectElements(*doc);
    SendBlockDefinitions(*doc);
  }
  FinishSend();
}

}  // namespace model_export
