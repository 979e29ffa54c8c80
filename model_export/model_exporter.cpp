#include "model_export/model_exporter.h"

#include "common/element_id.h"
#include "common/messages.h"

namespace model_export {

ModelExporter::ModelExporter(const bridge::Bridge& bridge) : m_bridge(bridge) {}

void ModelExporter::BeginSend(const CRhinoDoc* doc) {
  m_frame = common::RendererFrame(doc);
  m_canceled = false;
  m_material_keys.Clear();
}

bool ModelExporter::CancelRequested() {
  if (!m_canceled && RhinoApp().InCommand() > 0) {
    // The key reaches the host only while its messages are pumped.
    RhinoApp().Wait(0);
    m_canceled = RhinoApp().CommandCanceled();
  }
  return m_canceled;
}

bool ModelExporter::CheckModelToUpdate() const {
  if (m_model != 0) return true;
  common::ShowMessage(common::Message::NoModelToUpdate);
  return false;
}

void ModelExporter::FinishSend() {
  m_last_canceled = m_canceled;
  if (m_canceled) {
    m_bridge.DisConnect();
    m_converter.Release();
    m_incomplete = true;
    common::PrintConsole("Send cancelled: the renderer keeps what it was last sent\n");
    return;
  }
  m_incomplete = false;
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
