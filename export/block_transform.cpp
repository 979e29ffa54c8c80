#include "export/block_transform.h"

void BlockTransform(const ON_Xform& x, double s, float out[16]) {
  // Row i of R is row kRow[i] of S·X·S⁻¹: rows 0 and 1 exchanged.
  constexpr int kRow[4] = {1, 0, 2, 3};
  for (int column = 0; column < 4; ++column) {
    for (int i = 0; i < 4; ++i) {
      const int row = kRow[i];
      double value = x[row][column];
      // S·X·S⁻¹ leaves the 3×3 part and the corner alone; the translation
      // column is scaled by s and the bottom row divided by it.
      if (row < 3 && column == 3)
        value = s * value;
      else if (row == 3 && column < 3)
        value = value / s;
      out[4 * column + i] = static_cast<float>(value);
    }
  }
}
