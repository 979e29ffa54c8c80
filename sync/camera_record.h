// The renderer's camera: nine floats (position, view direction, up) in the
// renderer frame and a field of view in degrees.
#pragma once

#include "RhinoSdk.h"

struct CameraRecord {
  float values[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  float fov = 45.0f;  // a viewport of no known projection keeps this
};

// Converts a viewport at the given scale (centimetres per model unit).
CameraRecord CameraFromViewport(const ON_Viewport& viewport, double scale);
