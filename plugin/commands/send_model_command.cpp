#include "export/model_exporter.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "services/usage_reporter.h"
#include "sync/view_sync.h"

UUID CCommandOrvexConverterSendModel::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C04");
}

const wchar_t* CCommandOrvexConverterSendModel::EnglishCommandName() {
  return L"OrvexConverterSendModel";
}

CRhinoCommand::result CCommandOrvexConverterSendModel::RunCommand(const CRhinoCommandContext&) {
  ConverterContext& converter = TheConverterContext();
  if (!CheckConnected()) return success;
  if (!converter.modelExporter->SendModelUpdate(converter.Document())) {
    StopFlow(converter);  // a failed update ends the link
    return success;
  }
  SendActiveCamera(converter.Document());
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", "sync");
  return success;
}
