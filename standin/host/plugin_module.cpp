#include "plugin_module.h"

#include <sstream>

#include "command_line.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"
#include "standin_host.h"
#if defined(_WIN32)
#include "desktop_interception.h"
#endif

bool PluginModule::Load(const std::string& path, std::string* error) {
  auto wide = platform::Utf8ToWide(path);
  if (!wide) {
    *error = path + ": the path is not valid UTF-8";
    return false;
  }
  // The plug-in folder comes from the module path, so set it before the
  // module's static objects run.
  rhino_standin::SetPlugInModulePath(*wide);
  m_module = platform::LoadLibraryFromPath(*wide);
  if (!m_module) {
    *error = path + ": cannot load the plug-in module";
    return false;
  }
  if (!platform::FindExport(m_module, "RhinoPlugInName") || !rhino_standin::RegisteredPlugIn()) {
    *error = path + ": not a plug-in (no declaration exports or no plug-in object)";
    return false;
  }
#if defined(_WIN32)
  InterceptDesktopCalls(m_module);
#endif
  if (CWinApp* app = rhino_standin::RegisteredApplication()) app->InitInstance();
  return true;
}

namespace {

template <class T>
T Call(void* module, const char* name) {
  auto fn = reinterpret_cast<T (*)()>(platform::FindExport(module, name));
  return fn ? fn() : T{};
}

std::string Wide(void* module, const char* name) {
  const wchar_t* text = Call<const wchar_t*>(module, name);
  return text ? platform::WideToUtf8(text) : std::string("(missing)");
}

}  // namespace

std::string PluginModule::About() const {
  std::ostringstream out;
  for (const char* name :
       {"RhinoPlugInName", "RhinoPlugInId", "RhinoPlugInDescription",
        "RhinoPlugInDeveloperOrganization", "RhinoPlugInDeveloperAddress",
        "RhinoPlugInDeveloperCountry", "RhinoPlugInDeveloperPhone", "RhinoPlugInDeveloperFax",
        "RhinoPlugInDeveloperEmail", "RhinoPlugInDeveloperWebsite", "RhinoPlugInUpdateURL"})
    out << name << ": " << Wide(m_module, name) << "\n";
  const char* build = Call<const char*>(m_module, "RhinoPlugInVersion");
  out << "RhinoPlugInVersion: " << (build ? build : "(missing)") << "\n";
  out << "RhinoPlugInIconResourceId: " << Call<int>(m_module, "RhinoPlugInIconResourceId") << "\n";
  for (const char* name : {"RhinoPlugInSdkVersion", "RhinoPlugInSdkServiceRelease",
                           "RhinoPlugInMfcVersion", "RhinoPlugInMscVersion"})
    out << name << ": " << Call<unsigned>(m_module, name) << "\n";
  out << "RhinoPlugInUsesMfc: " << (Call<bool>(m_module, "RhinoPlugInUsesMfc") ? "true" : "false")
      << "\n";
  if (CRhinoPlugIn* plugIn = rhino_standin::RegisteredPlugIn()) {
    out << "PlugInName: " << platform::WideToUtf8(plugIn->PlugInName()) << "\n";
    out << "PlugInVersion: " << platform::WideToUtf8(plugIn->PlugInVersion()) << "\n";
    out << "PlugInID: "
        << platform::WideToUtf8(host::WideOf(CRhRdkUuid(plugIn->PlugInID()).String(36))) << "\n";
    out << "PlugInLoadTime: " << plugIn->PlugInLoadTime() << "\n";
    out << "PlugInType: " << plugIn->PlugInType() << "\n";
  }
  for (CRhinoCommand* command : rhino_standin::RegisteredCommands())
    out << "Command: " << platform::WideToUtf8(command->EnglishCommandName()) << " "
        << platform::WideToUtf8(host::WideOf(CRhRdkUuid(command->CommandUUID()).String(36)))
        << "\n";
  return out.str();
}

CRhinoCommand* PluginModule::FindCommand(const std::string& englishName) const {
  for (CRhinoCommand* command : rhino_standin::RegisteredCommands())
    if (SameCommandName(platform::WideToUtf8(command->EnglishCommandName()), englishName))
      return command;
  return nullptr;
}

void PluginModule::EnsureLoaded() {
  if (m_loaded) return;
  m_loaded = true;
  if (CRhinoPlugIn* plugIn = rhino_standin::RegisteredPlugIn()) plugIn->OnLoadPlugIn();
}
