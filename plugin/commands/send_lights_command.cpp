#include "light/light_exporter.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "services/usage_reporter.h"

UUID CCommandOrvexConverterSendLights::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C08");
}

const wchar_t* CCommandOrvexConverterSendLights::EnglishCommandName() {
  return L"OrvexConverterSendLights";
}

CRhinoCommand::result CCommandOrvexConverterSendLights::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  converter.lightExporter->SendLights(converter.Document());
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", "sync_light");
  return success;
}
