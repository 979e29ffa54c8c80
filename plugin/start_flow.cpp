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
  BridgeHandle& handle = *context.bridge;
  if (!handle.module && !bridge::Load(handle)) return false;

  const std::wstring path = WideText(doc->GetPathName());
  if (!bridge::CheckResult(handle, bridge::StartLink(handle, path))) return false;
  if (!ORVEX_BRIDGE_CALL(handle, SetModelFilePath, BridgeText(path).c_str())) return false;
  if (!bridge::Connect(handle)) return false;

  context.modelExporter->SendFullModel(doc);

  context.SetDocument(doc);
  context.liveSync->SwitchOff();
  context.eventWatcher.ClearChanges();
  StartViewSyncThread(context.viewSync);
  flags.connected = 1;
  flags.viewSyncOn = 1;
  return true;
}
