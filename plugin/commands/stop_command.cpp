#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "services/usage_reporter.h"

UUID CCommandOrvexConverterStop::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C03");
}

const wchar_t* CCommandOrvexConverterStop::EnglishCommandName() { return L"OrvexConverterStop"; }

CRhinoCommand::result CCommandOrvexConverterStop::RunCommand(const CRhinoCommandContext&) {
  if (!StopFlow(TheConverterContext())) return success;
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", "stop");
  return success;
}
