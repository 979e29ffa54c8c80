#include "bridge/bridge_loader.h"
#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "sync/scenes.h"

CRhinoCommand::result CCommandOrvexConverterSendScenes::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  if (!converter.bridge->module) bridge::Load(*converter.bridge);
  SendScenes(converter.Document());
  return Succeeded("sendScenes");
}
