#include "export/model_exporter.h"

#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "export/unit_scale.h"

ModelExporter::ModelExporter() : m_bridge(std::make_unique<BridgeHandle>()) {
  bridge::Load(*m_bridge);
}

ModelExporter::~ModelExporter() = default;

void ModelExporter::BeginSend(const CRhinoDoc* doc) { m_scale = UnitScale(doc); }

void ModelExporter::SendFullModel(const CRhinoDoc* doc) {
  BeginSend(doc);
  m_model = ORVEX_BRIDGE_CALL(*m_bridge, CreateModel).value_or(0);
  SendMaterialsElement(doc);
  if (doc) {
    SendObjectElements(*doc);
    SendBlockDefinitions(*doc);
  }
  FinishSend();
}

void ModelExporter::FinishSend() {
  bridge::OptimizeModel(*m_bridge, m_model);
  const auto startSend = ORVEX_BRIDGE(*m_bridge, StartSend);
  // A missing export shows its message, whatever the model.
  if (m_model == 0 && startSend.Found())
    RhinoApp().Print(L"model is null\n");
  else
    startSend(m_model);
  bridge::Disconnect(*m_bridge);
  m_mesh_buffers.Release();
}

void ModelExporter::DestroyModel() {
  if (m_model != 0) ORVEX_BRIDGE_CALL(*m_bridge, DestroyModel, m_model);
  m_model = 0;
}
