// The declaration exports the host reads when it inspects or loads the module.
#pragma once

#include "platform/native.h"

#define ORVEX_PLUGIN_EXPORT ORVEX_EXPORT

ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInName();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInId();
ORVEX_PLUGIN_EXPORT const char* RhinoPlugInVersion();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDescription();
ORVEX_PLUGIN_EXPORT int RhinoPlugInIconResourceId();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperOrganization();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperAddress();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperCountry();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperPhone();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperFax();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperEmail();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperWebsite();
ORVEX_PLUGIN_EXPORT const wchar_t* RhinoPlugInUpdateURL();
ORVEX_PLUGIN_EXPORT unsigned int RhinoPlugInSdkVersion();
ORVEX_PLUGIN_EXPORT unsigned int RhinoPlugInSdkServiceRelease();
ORVEX_PLUGIN_EXPORT unsigned int RhinoPlugInMfcVersion();
ORVEX_PLUGIN_EXPORT unsigned int RhinoPlugInMscVersion();
ORVEX_PLUGIN_EXPORT bool RhinoPlugInUsesMfc();
