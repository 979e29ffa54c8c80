#include "plugin/plugin_declaration.h"

#include "plugin/plugin_identity.h"
#include "plugin/resource_ids.h"

using namespace plugin::identity;

const wchar_t* RhinoPlugInName() { return kName; }
const wchar_t* RhinoPlugInId() { return kId; }
// The module's build date and time, as in "Apr 26 2022  11:24:56".
const char* RhinoPlugInVersion() { return __DATE__ "  " __TIME__; }
const wchar_t* RhinoPlugInDescription() { return kDescription; }
int RhinoPlugInIconResourceId() { return ORVEX_PLUGIN_ICON_ID; }
const wchar_t* RhinoPlugInDeveloperOrganization() { return kOrganization; }
const wchar_t* RhinoPlugInDeveloperAddress() { return kAddress; }
const wchar_t* RhinoPlugInDeveloperCountry() { return kCountry; }
const wchar_t* RhinoPlugInDeveloperPhone() { return kPhone; }
const wchar_t* RhinoPlugInDeveloperFax() { return kPhone; }
const wchar_t* RhinoPlugInDeveloperEmail() { return kEmail; }
const wchar_t* RhinoPlugInDeveloperWebsite() { return kWebsite; }
const wchar_t* RhinoPlugInUpdateURL() { return kUpdateUrl; }
unsigned int RhinoPlugInSdkVersion() { return 0x8C006509u; }
unsigned int RhinoPlugInSdkServiceRelease() { return 0x8E007799u; }
unsigned int RhinoPlugInMfcVersion() { return 0x0E00u; }
unsigned int RhinoPlugInMscVersion() { return 1929u; }
bool RhinoPlugInUsesMfc() { return true; }
