// The texture block of the material record: one texture's image path, its
// amount and, unless its uvw transform counts as the identity, the width,
// height and rotation read from that transform.
#pragma once

#include <string>

#include "RhinoSdk.h"

namespace material {

// What a texture's uvw transform contributes to its block.
struct TextureTransform {
  // False: the block says UseExplicitTransformation false and nothing more.
  bool use_explicit = false;
  double width = 1.0;
  double height = 1.0;
  double rotation = 0.0;  // degrees, 0 inclusive to 360 exclusive
};

// Reads m00, m01, m10 and m11 only; translation never travels. The transform
// counts as the identity when both rows' leading pairs have unit length and the
// first row points along the first axis, all within 2^-32; a shear therefore
// counts as the identity. A transform whose rows or columns have a zero
// leading pair, or whose read entries are not all finite, counts as the
// identity too. Otherwise: width and height are the reciprocal lengths of the
// two columns' leading pairs, rotation the direction of (m00, m01) in degrees.
TextureTransform TextureTransformOf(const ON_Xform& uvw);

// "<Filepath>" path "</Filepath><Brightness>" amount "</Brightness>" and the
// transform part. Empty for no texture and for a texture whose image has an
// empty full path. The path is escaped (markup characters).
std::wstring TextureBlock(const ON_Texture* texture);

}  // namespace material
