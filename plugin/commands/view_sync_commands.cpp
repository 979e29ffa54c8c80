#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "sync/view_sync.h"

CRhinoCommand::result CCommandOrvexConverterViewSyncOn::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  LinkFlags& flags = TheLinkFlags();
  if (!CheckConnected()) return success;
  if (flags.viewSyncOn) {
    messages::PrintConsole("View sync on!\n");
    return success;
  }
  StartViewSyncThread(converter.viewSync);
  flags.viewSyncOn = 1;
  return Succeeded("viewOn");
}

CRhinoCommand::result CCommandOrvexConverterViewSyncOff::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  LinkFlags& flags = TheLinkFlags();
  if (!CheckConnected()) return success;
  if (!flags.viewSyncOn) {
    messages::PrintConsole("View sync off!\n");
    return success;
  }
  converter.viewSync->StopThreads();
  flags.viewSyncOn = 0;
  return Succeeded("viewOff");
}
