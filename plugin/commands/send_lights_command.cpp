#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"

CRhinoCommand::result CCommandOrvexConverterSendLights::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = plugin::TheLink();
  if (!link.CheckLinked()) return success;
  link.SendLights();
  return plugin::Succeeded("sync_light");
}
