#include "export/model_exporter.h"
#include "plugin/commands/command_steps.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"

bool StopFlow(ConverterContext& context) {
  if (!CheckConnected()) return false;
  // An update under way ends before the model goes, so nothing reaches the
  // renderer after it; what is still pending the next Start sends in full.
  context.liveSync->FinishUnderWay(context, true);
  context.liveSync->SwitchOff();
  context.eventWatcher.ClearChanges();
  // The view-sync thread ends at its next check and sends nothing more from
  // here on, so no camera reaches the renderer after its model is gone; it no
  // longer reads the document either.
  context.viewSync->StopThreads();
  context.SetDocument(nullptr);
  context.modelExporter->DestroyModel();
  LinkFlags& flags = TheLinkFlags();
  flags.connected = 0;
  flags.viewSyncOn = 0;
  return true;
}
