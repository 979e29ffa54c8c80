// The model update: the renderer's existing model brought up to date with
// the document as it stands now. Nothing is tracked between updates: the
// document is read afresh, and what is no longer shown is withdrawn.
#include "model_export/model_exporter.h"
#include "model_export/object_filters.h"

namespace model_export {

bool ModelExporter::SendModelUpdate(const CRhinoDoc* doc) {
  BeginSend(doc);
  if (!CheckModelToUpdate()) return false;
  if (!m_bridge.HasConnected()) return false;
  SendEverythingAgain(doc);
  FinishSend();
  return true;
}

void ModelExporter::SendEverythingAgain(const CRhinoDoc* doc) {
  SendMaterialsElement(doc);
  if (doc) {
    // Withdraw every object that is now hidden or deleted, sent before or not.
    // An object an edit replaced stays in the document, deleted, under the id
    // of the one that replaced it: while that one lives, it decides.
    CRhinoObjectIterator all(*doc, kAllStates, kSendCategories);
    for (const CRhinoObject* object = all.First(); object; object = all.Next()) {
      if (object->IsVisible() && !object->IsDeleted()) continue;
      if (object->IsDeleted() && CRhinoObject::FromId(doc->RuntimeSerialNumber(), object->Id()))
        continue;
      if (CancelRequested()) break;
      WithdrawElement(object->Id());
    }
    SendObjectElements(*doc);
    SendBlockDefinitions(*doc);
  }
}

}  // namespace model_export
