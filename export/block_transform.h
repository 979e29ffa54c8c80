// The placement of a block mesh: the reference's transform carried into the
// renderer frame and into centimetres.
#pragma once

#include "RhinoSdk.h"

// Writes R = E·S·X·S⁻¹ as 16 floats in column-major order (translation in
// floats 12 to 14). X maps definition coordinates to world coordinates, S
// scales x, y and z by s (centimetres per model unit) and E exchanges rows 0
// and 1. Applied to a block mesh vertex sent in model axes and centimetres, R
// gives its world position in the renderer frame, in centimetres.
void BlockTransform(const ON_Xform& x, double s, float out[16]);
