// The swatch: the tiny triangle that the materials element places once per
// material, so that every material is held by a mesh that wears it.
#pragma once

#include "RhinoSdk.h"
#include "common/renderer_frame.h"

namespace model_export {

// The swatch triangle's leg length in centimetres (bit pattern 0x3BA7CA1D).
inline constexpr float kSwatchOffset = 0.0051205293f;

inline constexpr float kSwatchNormals[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
inline constexpr float kSwatchUvs[6] = {0, 0, 0, 0, 0, 0};
inline constexpr int kSwatchIndices[3] = {0, 1, 2};

// The anchor in the renderer frame in single precision, a, then the three
// corners (a.x, a.y, a.z), (a.x + d, a.y, a.z) and (a.x, a.y + d, a.z), with
// d = kSwatchOffset added in single precision.
void SwatchPositions(const ON_3fPoint& anchor, const common::RendererFrame& frame, float out[9]);

// The centre of the bounding box of the first render mesh of the first
// normal or locked object of the document that has one, in model units; the
// origin when no object has a render mesh or there is no document.
ON_3fPoint SwatchAnchor(const CRhinoDoc* doc);

}  // namespace model_export
