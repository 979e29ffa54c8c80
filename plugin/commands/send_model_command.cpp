#include "export/model_exporter.h"
#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "sync/view_sync.h"

CRhinoCommand::result CCommandOrvexConverterSendModel::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  if (!converter.modelExporter->SendModelUpdate(converter.Document())) {
    StopFlow(converter);  // a failed update ends the link
    return success;
  }
  SendActiveCamera(converter.Document());
  return Succeeded("sync");
}
