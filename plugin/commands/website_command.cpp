#include "platform/platform.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "services/service_settings.h"
#include "services/usage_reporter.h"

UUID CCommandOrvexConverterWebsite::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C01");
}

const wchar_t* CCommandOrvexConverterWebsite::EnglishCommandName() {
  return L"OrvexConverterWebsite";
}

CRhinoCommand::result CCommandOrvexConverterWebsite::RunCommand(const CRhinoCommandContext&) {
  TheConverterContext();
  platform::ShellOpen(L"open", L"explorer.exe", services::WebsiteUrlFromEnvironment());
  services::ReportUsage("sync", "logo");
  return success;
}
