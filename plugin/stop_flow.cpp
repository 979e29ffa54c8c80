#include "bridge/bridge_exports.h"
#include "export/model_exporter.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"

bool StopFlow(ConverterContext& context) {
  LinkFlags& flags = TheLinkFlags();
  if (!flags.connected) {
    messages::PrintConsole("Not Connected!\n");
    return false;
  }
  context.document = nullptr;
  ModelExporter& exporter = *context.modelExporter;
  if (exporter.Model() != 0) ORVEX_BRIDGE_CALL(exporter.Bridge(), DestroyModel, exporter.Model());
  exporter.SetModel(0);
  // The view-sync thread ends at its next check; it no longer reads the document.
  context.viewSync->runFlag.store(0);
  context.viewSync->SetDocument(nullptr);
  flags.connected = 0;
  flags.viewSyncOn = 0;
  return true;
}
