#include "platform/platform.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "services/service_settings.h"
#include "services/usage_reporter.h"

CRhinoCommand::result CCommandOrvexConverterWebsite::RunCommand(const CRhinoCommandContext&) {
  TheConverterContext();
  platform::ShellOpen(L"open", L"explorer.exe", services::WebsiteUrlFromEnvironment());
  services::ReportUsage("sync", "logo");
  return success;
}
