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
  // The view-sync thread ends at its next check and sends nothing more from
  // here on, so no camera reaches the renderer after its model is gone; it no
  // longer reads the document either.
  context.viewSync->StopThreads();
  context.viewSync->SetDocument(nullptr);
  ModelExporter& exporter = *context.modelExporter;
  if (exporter.Model() != 0) ORVEX_BRIDGE_CALL(exporter.Bridge(), DestroyModel, exporter.Model());
  exporter.SetModel(0);
  flags.connected = 0;
  flags.viewSyncOn = 0;
  return true;
}
