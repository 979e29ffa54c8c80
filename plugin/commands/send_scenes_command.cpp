#include "bridge/bridge_loader.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "services/usage_reporter.h"
#include "sync/scenes.h"

UUID CCommandOrvexConverterSendScenes::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C07");
}

const wchar_t* CCommandOrvexConverterSendScenes::EnglishCommandName() {
  return L"OrvexConverterSendScenes";
}

CRhinoCommand::result CCommandOrvexConverterSendScenes::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  if (!converter.bridge->module) bridge::Load(*converter.bridge);
  SendScenes(converter.Document());
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", "sendScenes");
  return success;
}
