#include "export/model_exporter.h"
#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "sync/view_sync.h"

CRhinoCommand::result CCommandOrvexConverterSendModel::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  // A live update under way ends first; a failed one has ended the link.
  if (!converter.liveSync->FinishUnderWay(converter, false)) return success;
  // Everything goes again: nothing is left pending.
  converter.eventWatcher.ClearChanges();
  if (!converter.modelExporter->SendModelUpdate(converter.Document())) {
    StopFlow(converter);  // a failed update ends the link
    return success;
  }
  SendActiveCamera(converter.Document());
  return Succeeded("sync");
}
