#include "export/model_exporter.h"

#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "export/object_filters.h"
#include "export/unit_scale.h"

ModelExporter::ModelExporter() : m_bridge(std::make_unique<BridgeHandle>()) {
  bridge::Load(*m_bridge);
}

ModelExporter::~ModelExporter() = default;

ModelExporter::ElementExports::ElementExports(const BridgeHandle& bridge)
    : beginElement(ORVEX_BRIDGE_BOUND(bridge, BeginElement)),
      endElement(ORVEX_BRIDGE_BOUND(bridge, EndElement)),
      addMaterial(ORVEX_BRIDGE_BOUND(bridge, AddMaterial)),
      addMesh(ORVEX_BRIDGE_BOUND(bridge, AddMesh)),
      addInstance(ORVEX_BRIDGE_BOUND(bridge, AddInstance)) {}

ModelExporter::WalkExports::WalkExports(ModelExporter& exporter) : m_exporter(exporter) {
  if (m_exporter.m_exports) return;
  m_own = std::make_unique<ElementExports>(*m_exporter.m_bridge);
  m_exporter.m_exports = m_own.get();
}

ModelExporter::WalkExports::~WalkExports() {
  if (m_own) m_exporter.m_exports = nullptr;
}

void ModelExporter::SetScaleFrom(const CRhinoDoc* doc) { m_scale = UnitScale(doc); }

void ModelExporter::SendFullModel(const CRhinoDoc* doc) {
  m_doc = doc;
  m_model = ORVEX_BRIDGE_CALL_RESULT(*m_bridge, CreateModel).value_or(0);
  SendMaterialsElement(doc, m_model, *m_bridge);
  if (doc) {
    CRhinoObjectIterator it(*doc, kSendStates, kSendCategories);
    SendObjectElements(it);
  } else {
    SetScaleFrom(doc);
  }
  SendBlockDefinitions(doc);
  FinishSend();
  m_doc = nullptr;
}

void ModelExporter::FinishSend() {
  bridge::OptimizeModel(*m_bridge, m_model);
  auto startSend = bridge::FindExport<bridge_api::StartSendFn>(*m_bridge, "StartSend");
  if (!startSend)
    bridge::ShowExportMissing();
  else if (m_model != 0)
    startSend(m_model);
  else
    RhinoApp().Print(L"model is null\n");
  bridge::Disconnect(*m_bridge);
  m_mesh_buffers.Release();
}
