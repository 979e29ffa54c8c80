// The swatch: the tiny triangle that the materials element places once per
// material, so that every material is held by a mesh that wears it.
#pragma once

#include "RhinoSdk.h"

// The swatch triangle's leg length in centimetres (bit pattern 0x3BA7CA1D).
inline constexpr float kSwatchOffset = 0.0051205293f;

inline constexpr float kSwatchNormals[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
inline constexpr float kSwatchUvs[6] = {0, 0, 0, 0, 0, 0};
inline constexpr int kSwatchIndices[3] = {0, 1, 2};

// The anchor scaled to centimetres in single precision, (ax, ay, az), then the
// three corners in the renderer frame: (ay, ax, az), (ay + d, ax, az) and
// (ay, ax + d, az), with d = kSwatchOffset added in single precision.
void SwatchPositions(const ON_3fPoint& anchor, double scale, float out[9]);

// The centre of the bounding box of the first render mesh of the first
// normal or locked object of the document that has one, in model units; the
// origin when no object has a render mesh or there is no document.
ON_3fPoint SwatchAnchor(const CRhinoDoc* doc);
