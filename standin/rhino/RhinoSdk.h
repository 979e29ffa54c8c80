// The SDK subset the plug-in uses, under the SDK's own names: openNURBS itself,
// then RhinoCore and the RDK as the stand-in provides them.
#pragma once

#include "mfc.h"
#include "opennurbs.h"
#include "rdk.h"
#include "rhino_app.h"
#include "rhino_doc.h"
#include "rhino_event_watcher.h"
#include "rhino_object.h"
#include "rhino_plugin.h"
#include "windows_types.h"
