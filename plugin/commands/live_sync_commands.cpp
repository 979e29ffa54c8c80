#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"

CRhinoCommand::result CCommandOrvexConverterLiveSyncOn::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  if (converter.liveSync->IsOn()) {
    messages::PrintConsole("Live sync on!\n");
    return success;
  }
  // Edits made since the link's last send go with the first update.
  converter.liveSync->SwitchOn();
  return Succeeded("liveOn");
}

CRhinoCommand::result CCommandOrvexConverterLiveSyncOff::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  if (!converter.liveSync->IsOn()) {
    messages::PrintConsole("Live sync off!\n");
    return success;
  }
  // An update under way still ends; the edits from here on wait for the next
  // send.
  if (!converter.liveSync->FinishUnderWay(converter, false)) return success;
  converter.liveSync->SwitchOff();
  return Succeeded("liveOff");
}
