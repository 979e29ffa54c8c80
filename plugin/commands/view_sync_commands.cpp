#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "services/usage_reporter.h"
#include "sync/view_sync.h"

UUID CCommandOrvexConverterViewSyncOn::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C05");
}

const wchar_t* CCommandOrvexConverterViewSyncOn::EnglishCommandName() {
  return L"OrvexConverterViewSyncOn";
}

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
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", "viewOn");
  return success;
}

UUID CCommandOrvexConverterViewSyncOff::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C06");
}

const wchar_t* CCommandOrvexConverterViewSyncOff::EnglishCommandName() {
  return L"OrvexConverterViewSyncOff";
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
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", "viewOff");
  return success;
}
