#include "platform/platform.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"
#include "services/service_settings.h"
#include "services/usage_reporter.h"

CRhinoCommand::result CCommandOrvexConverterWebsite::RunCommand(const CRhinoCommandContext&) {
  plugin::TheLink();  // every command makes the link, and takes the bridge up with it
  platform::ShellOpen(L"open", L"explorer.exe", services::WebsiteUrlFromEnvironment());
  services::ReportUsage("sync", "logo");
  return success;
}
