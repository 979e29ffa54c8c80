// The SDK subset the plug-in uses, under the SDK's own names.
#pragma once

#include "mfc.h"
#include "on_array.h"
#include "on_geometry.h"
#include "on_light.h"
#include "on_material.h"
#include "on_mesh.h"
#include "on_string.h"
#include "on_units.h"
#include "on_uuid.h"
#include "on_viewport.h"
#include "rdk.h"
#include "rhino_app.h"
#include "rhino_doc.h"
#include "rhino_event_watcher.h"
#include "rhino_object.h"
#include "rhino_plugin.h"
