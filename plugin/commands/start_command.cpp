#include "platform/platform.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "services/update_check.h"
#include "services/usage_reporter.h"

UUID CCommandOrvexConverterStart::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C02");
}

const wchar_t* CCommandOrvexConverterStart::EnglishCommandName() { return L"OrvexConverterStart"; }

CRhinoCommand::result CCommandOrvexConverterStart::RunCommand(const CRhinoCommandContext& context) {
  if (!StartFlow(TheConverterContext(), context.Document())) return success;
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", "start");
  services::ReportUsage("DCC_Version", RhinoVersion::VersionQuartetString());
  services::ReportUsage("Converter_Version", services::kConverterVersion);
  return success;
}
