#include "common/messages.h"
#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"

using plugin::Succeeded;
using plugin::TheLink;

CRhinoCommand::result CCommandOrvexConverterViewSyncOn::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = TheLink();
  if (!link.CheckLinked()) return success;
  if (link.ViewSyncIsOn()) {
    common::PrintConsole("View sync on!\n");
    return success;
  }
  link.StartViewSync();
  return Succeeded("viewOn");
}

CRhinoCommand::result CCommandOrvexConverterViewSyncOff::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = TheLink();
  if (!link.CheckLinked()) return success;
  if (!link.ViewSyncIsOn()) {
    common::PrintConsole("View sync off!\n");
    return success;
  }
  link.StopViewSync();
  return Succeeded("viewOff");
}
