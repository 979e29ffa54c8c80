#include "common/messages.h"
#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"

using plugin::Succeeded;
using plugin::TheLink;

CRhinoCommand::result CCommandOrvexConverterLiveSyncOn::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = TheLink();
  if (!link.CheckLinked()) return success;
  if (link.LiveSyncIsOn()) {
    common::PrintConsole("Live sync on!\n");
    return success;
  }
  link.SwitchLiveSyncOn();
  return Succeeded("liveOn");
}

CRhinoCommand::result CCommandOrvexConverterLiveSyncOff::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = TheLink();
  if (!link.CheckLinked()) return success;
  if (!link.LiveSyncIsOn()) {
    common::PrintConsole("Live sync off!\n");
    return success;
  }
  // The edits from here on wait for the next send.
  if (!link.SwitchLiveSyncOff()) return success;
  return Succeeded("liveOff");
}

CRhinoCommand::result CCommandOrvexConverterLiveUpdate::RunCommand(const CRhinoCommandContext&) {
  renderer_link::Link& link = TheLink();
  // Run by live sync itself; quiet while linked, as its updates are.
  if (!link.CheckLinked()) return success;
  link.FinishLiveUpdate();
  return success;
}
