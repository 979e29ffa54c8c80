// The model update: the renderer's existing model brought up to date with
// the document as it stands now. Nothing is tracked between updates: the
// document is read afresh, and what is no longer shown is withdrawn.
#include "bridge/bridge_loader.h"
#include "bridge/bridge_text.h"
#include "export/element_id.h"
#include "export/model_exporter.h"
#include "export/object_filters.h"
#include "plugin/messages.h"

bool ModelExporter::SendModelUpdate(const CRhinoDoc* doc) {
  BeginSend(doc);
  if (m_model == 0) {
    messages::Show(messages::Message::NoModelToUpdate);
    return false;
  }
  if (!bridge::Connect(*m_bridge)) return false;
  if (!bridge::HasConnected(*m_bridge)) return false;
  SendEverythingAgain(doc);
  FinishSend();
  return true;
}

void ModelExporter::SendEverythingAgain(const CRhinoDoc* doc) {
  SendMaterialsElement(doc);
  if (doc) {
    // Withdraw every object that is now hidden or deleted, sent before or not.
    CRhinoObjectIterator all(*doc, kAllStates, kSendCategories);
    for (const CRhinoObject* object = all.First(); object; object = all.Next()) {
      if (object->IsVisible() && !object->IsDeleted()) continue;
      const BridgeText id(UuidToText(object->Id()));
      bridge::DeleteElement(*m_bridge, m_model, id.c_str());
    }
    SendObjectElements(*doc);
    SendBlockDefinitions(*doc);
  }
}
