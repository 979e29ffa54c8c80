#include "light/light_exporter.h"
#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"

CRhinoCommand::result CCommandOrvexConverterSendLights::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  converter.lightExporter->SendLights(converter.Document());
  return Succeeded("sync_light");
}
