#include "plugin/orvexconv_plugin.h"

#include "platform/platform.h"
#include "plugin/plugin_declaration.h"
#include "plugin/plugin_identity.h"
#include "services/update_check.h"

COrvexConvPlugIn::COrvexConvPlugIn()
    : m_plugin_version(platform::AnsiToWide(plugin::identity::kVersion).c_str()) {}

GUID COrvexConvPlugIn::PlugInID() const { return ON_UuidFromString(plugin::identity::kId); }

const wchar_t* COrvexConvPlugIn::PlugInName() const { return plugin::identity::kName; }

const wchar_t* COrvexConvPlugIn::PlugInVersion() const { return m_plugin_version; }

BOOL COrvexConvPlugIn::OnLoadPlugIn() {
  services::RunUpdateCheck(services::UpdateCheckSettingsFromEnvironment());
  const std::wstring build = platform::AnsiToWide(RhinoPlugInVersion());
  RhinoApp().Print(L"%ls %ls (%ls) %d\n", PlugInName(), PlugInVersion(), build.c_str(), 2);
  return true;
}

void COrvexConvPlugIn::OnUnloadPlugIn() {}

CRhinoPlugIn::plugin_load_time COrvexConvPlugIn::PlugInLoadTime() {
  return load_plugin_when_needed;
}
