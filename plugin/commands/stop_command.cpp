#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"

CRhinoCommand::result CCommandOrvexConverterStop::RunCommand(const CRhinoCommandContext&) {
  if (!plugin::TheLink().Stop()) return success;
  return plugin::Succeeded("stop");
}
