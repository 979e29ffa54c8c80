#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"

CRhinoCommand::result CCommandOrvexConverterSendModel::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = plugin::TheLink();
  if (!link.CheckLinked()) return success;
  if (!link.SendModelAgain()) return success;
  return plugin::Succeeded("sync");
}
