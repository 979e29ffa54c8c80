#include <cstdlib>

#include "platform/platform.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "services/usage_reporter.h"

#ifndef ORVEX_WEBSITE_URL_DEFAULT
#define ORVEX_WEBSITE_URL_DEFAULT "https://forum.orvexrender.invalid/t/rhino-direct-link"
#endif

namespace {

// The forum page about this plug-in's workflow: a deployment value that the
// environment may override.
std::wstring WebsiteUrl() {
  const char* url = std::getenv("ORVEX_WEBSITE_URL");
  return platform::AnsiToWide((url && *url) ? url : ORVEX_WEBSITE_URL_DEFAULT);
}

}  // namespace

UUID CCommandOrvexConverterWebsite::CommandUUID() {
  return ON_UuidFromString("3F1C2B7A-8D4E-4A61-9B0C-5E7D2A1F6C01");
}

const wchar_t* CCommandOrvexConverterWebsite::EnglishCommandName() {
  return L"OrvexConverterWebsite";
}

CRhinoCommand::result CCommandOrvexConverterWebsite::RunCommand(const CRhinoCommandContext&) {
  TheConverterContext();
  platform::ShellOpen(L"open", L"explorer.exe", WebsiteUrl());
  services::ReportUsage("sync", "logo");
  return success;
}
