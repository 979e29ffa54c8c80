#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"

CRhinoCommand::result CCommandOrvexConverterStop::RunCommand(const CRhinoCommandContext&) {
  if (!StopFlow(TheConverterContext())) return success;
  return Succeeded("stop");
}
