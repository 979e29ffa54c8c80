#include "material/texture_block.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "record_text/markup_escape.h"
#include "record_text/number_text.h"

namespace material {

using record_text::EscapeMarkup;
using record_text::NumberText;

namespace {

constexpr double kTwoPi = 6.283185307179586;
// 2^-32: how far the row lengths and the direction may stray from the identity.
constexpr double kIdentityTolerance = 2.3283064365386963e-10;

}  // namespace

TextureTransform TextureTransformOf(const ON_Xform& uvw) {
  const double m00 = uvw.m_xform[0][0];
  const double m01 = uvw.m_xform[0][1];
  const double m10 = uvw.m_xform[1][0];
  const double m11 = uvw.m_xform[1][1];
  const TextureTransform identity;
  if (!std::isfinite(m00) || !std::isfinite(m01) || !std::isfinite(m10) || !std::isfinite(m11))
    return identity;

  const double row0 = std::hypot(m00, m01);
  const double row1 = std::hypot(m10, m11);
  const double column0 = std::hypot(m00, m10);
  const double column1 = std::hypot(m01, m11);
  if (row0 == 0.0 || row1 == 0.0 || column0 == 0.0 || column1 == 0.0) return identity;

  const double alpha = std::acos(std::clamp(m00 / row0, -1.0, 1.0));
  const double theta = m01 / row0 > 0.0 ? kTwoPi - alpha : alpha;
  if (std::fabs(row0 - 1.0) <= kIdentityTolerance && std::fabs(row1 - 1.0) <= kIdentityTolerance &&
      std::fabs(theta) <= kIdentityTolerance)
    return identity;

  TextureTransform result;
  result.use_explicit = true;
  result.width = 1.0 / column0;
  result.height = 1.0 / column1;
  result.rotation = ON_DegreesFromRadians(theta > 0.0 ? kTwoPi - theta : theta);
  // A column so short (a subnormal length) that its reciprocal overflows
  // would reach the renderer as "inf".
  if (!std::isfinite(result.width) || !std::isfinite(result.height)) return identity;
  return result;
}

std::wstring TextureBlock(const ON_Texture* texture) {
  if (texture == nullptr) return std::wstring();
  const ON_wString& path = texture->m_image_file_reference.FullPath();
  if (path.IsEmpty()) return std::wstring();

  std::wstring block(L"<Filepath>");
  block += EscapeMarkup(std::wstring_view(path.Array(), static_cast<std::size_t>(path.Length())));
  block += L"</Filepath><Brightness>";
  block += NumberText(texture->m_blend_constant_A);
  block += L"</Brightness>";

  const TextureTransform transform = TextureTransformOf(texture->m_uvw);
  if (!transform.use_explicit) {
    block += L"<UseExplicitTransformation>false</UseExplicitTransformation>";
    return block;
  }
  block += L"<UseExplicitTransformation>true</UseExplicitTransformation><Width>";
  block += NumberText(transform.width);
  block += L"</Width><Height>";
  block += NumberText(transform.height);
  block += L"</Height><Rotation>";
  block += NumberText(transform.rotation);
  block += L"</Rotation><U_Offset>";
  block += NumberText(0.0);
  block += L"</U_Offset><V_Offset>";
  block += NumberText(0.0);
  block += L"</V_Offset>";
  return block;
}

}  // namespace material
