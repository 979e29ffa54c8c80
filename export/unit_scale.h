// Centimetres per model unit: every length sent to the renderer is scaled by it.
#pragma once

#include "RhinoSdk.h"

// The document's metres per unit (NaN for an unset unit system) times 100;
// 1.0 when no document is linked.
inline double UnitScale(const CRhinoDoc* doc) {
  if (!doc) return 1.0;
  return doc->ModelUnits().MetersPerUnit(ON_DBL_QNAN) * 100.0;
}
