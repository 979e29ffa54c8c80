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
    // One pass over every object: what is now hidden or deleted is withdrawn,
    // sent before or not, and what is shown is sent again after it. An object
    // is shown when it is visible and on a visible layer, which is what the
    // sends' own state filter (normal or locked) takes, in the same order.
    // An object an edit replaced stays in the document, deleted, under the id
    // of the one that replaced it: while that one lives, it decides.
    CRhinoObjectIterator all(*doc, kAllStates, kSendCategories);
    ON_SimpleArray<const CRhinoObject*> shown;
    for (const CRhinoObject* object = all.First(); object; object = all.Next()) {
      if (object->IsVisible() && !object->IsDeleted()) {
        if (IsSentAsObject(*object)) shown.Append(object);
        continue;
      }
      if (object->IsDeleted() && CRhinoObject::FromId(doc->RuntimeSerialNumber(), object->Id()))
        continue;
      if (CancelRequested()) break;
      WithdrawElement(object->Id());
    }
    SendObjectElements(*doc, shown);
    SendBlockDefinitions(*doc);
  }
}

}  // namespace model_export
