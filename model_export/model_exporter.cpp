#include "model_export/model_exporter.h"

#include "common/element_id.h"
#include "common/messages.h"

namespace model_export {

ModelExporter::ModelExporter(const bridge::Bridge& bridge) : m_bridge(bridge) {}

void ModelExporter::BeginSend(const CRhinoDoc* doc) { m_frame = common::RendererFrame(doc); }

bool ModelExporter::CheckModelToUpdate() const {
  if (m_model != 0) return true;
  common::ShowMessage(common::Message::NoModelToUpdate);
  return false;
}

void ModelExporter::FinishSend() {
  m_bridge.OptimizeModel(m_model);
  // A missing export shows its message, whatever the model.
  if (m_model == 0 && m_bridge.Has(bridge::Function::kStartSend))
    RhinoApp().Print(L"model is null\n");
  else
    m_bridge.StartSend(m_model);
  m_bridge.DisConnect();
  m_converter.Release();
}

void ModelExporter::WithdrawElement(const ON_UUID& id) {
  m_bridge.DeleteElement(m_model, bridge::Text(common::UuidToText(id)));
}

void ModelExporter::DestroyModel() {
  if (m_model != 0) m_bridge.DestroyModel(m_model);
  m_model = 0;
}

}  // namespace model_export
