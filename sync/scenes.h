// The document's named views as renderer scenes.
#pragma once

#include "RhinoSdk.h"

// AddScene for every named view in list order, then StartSendScenes with the
// document's path. Does nothing without a document.
void SendScenes(const CRhinoDoc* doc);
