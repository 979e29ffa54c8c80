#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"

CRhinoCommand::result CCommandOrvexConverterSendScenes::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = plugin::TheLink();
  if (!link.CheckLinked()) return success;
  link.SendScenes();
  return plugin::Succeeded("sendScenes");
}
