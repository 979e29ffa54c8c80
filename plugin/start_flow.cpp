#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "bridge/bridge_text.h"
#include "export/model_exporter.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "plugin/sdk_helpers.h"

bool StartFlow(ConverterContext& context, CRhinoDoc* doc) {
  if (!doc || doc->GetPathName().IsEmpty()) {
    messages::Show(messages::Message::DocumentNotSaved);
    return false;
  }
  LinkFlags& flags = TheLinkFlags();
  if (flags.connected) {
    messages::PrintConsole("Connected!\n");
    return false;
  }
  context.document = doc;
  BridgeHandle& handle = *context.bridge;
  if (!handle.module && !bridge::Load(handle)) return false;

  const int code = bridge::StartLink(handle, WideText(context.document->GetPathName()));
  if (!bridge::CheckResult(handle, code)) return false;

  auto setModelFilePath =
      bridge::FindExport<bridge_api::SetModelFilePathFn>(handle, "SetModelFilePath");
  if (!setModelFilePath) {
    bridge::ShowExportMissing();
    return false;
  }
  const ON_wString path = context.document->GetPathName();
  if (path.IsEmpty()) return false;
  setModelFilePath(BridgeText(WideText(path)).c_str());

  if (!bridge::Connect(handle)) return false;

  context.modelExporter->SendFullModel(context.document);

  context.viewSync->SetDocument(context.document);
  StartViewSyncThread(context.viewSync);
  flags.connected = 1;
  flags.viewSyncOn = 1;
  return true;
}
