// Colour text of the material record: "#" and three upper-case hexadecimal
// pairs, red, green, blue. No alpha is written.
#pragma once

#include <string>

#include "RhinoSdk.h"

namespace material {

// The channel bytes as they are; the alpha byte is ignored.
std::wstring ColourText(const ON_Color& colour);

// Each channel v becomes the integer part of (v * 255 in single precision)
// + 0.5, limited to 0..255: 1.0 and above give FF, 0.5 gives 80, 0.002 gives
// 01, 0.001 gives 00, a negative channel or one that is not a number gives 00.
std::wstring ColourText(const ON_4fColor& colour);

}  // namespace material
