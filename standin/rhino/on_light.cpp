#include "on_light.h"

bool ON_Light::IsPointLight() const {
  return m_style == ON::light_style::camera_point_light ||
         m_style == ON::light_style::world_point_light;
}
bool ON_Light::IsDirectionalLight() const {
  return m_style == ON::light_style::camera_directional_light ||
         m_style == ON::light_style::world_directional_light;
}
bool ON_Light::IsSpotLight() const {
  return m_style == ON::light_style::camera_spot_light ||
         m_style == ON::light_style::world_spot_light;
}
bool ON_Light::IsLinearLight() const { return m_style == ON::light_style::world_linear_light; }
bool ON_Light::IsRectangularLight() const {
  return m_style == ON::light_style::world_rectangular_light;
}

ON_3dVector ON_Light::PerpindicularDirection() const {
  // For a linear or rectangular light whose length is perpendicular to the
  // direction, the length's direction; otherwise a consistent vector made from
  // the direction and a world axis.
  ON_3dVector dir = m_direction;
  if (!dir.IsValid() || !dir.Unitize())
    return ON_3dVector(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
  if (IsLinearLight() || IsRectangularLight()) {
    ON_3dVector xdir = m_length;
    if (xdir.IsValid() && xdir.Unitize() && std::fabs(xdir * dir) <= 1.490116119384766e-08)
      return xdir;
  }
  const double parallelTolerance = std::cos(ON_RadiansFromDegrees(3.0));
  const bool nearZ = std::fabs(dir * ON_3dVector::ZAxis) >= parallelTolerance;
  ON_3dVector xdir =
      nearZ ? ON_CrossProduct(dir, ON_3dVector::XAxis) : ON_CrossProduct(dir, ON_3dVector::ZAxis);
  xdir.Unitize();
  ON_3dVector ydir = ON_CrossProduct(dir, xdir);
  ydir.Unitize();
  const double ax = std::fabs(dir.x), ay = std::fabs(dir.y), az = std::fabs(dir.z);
  const int maxIndex = (ax >= ay && ax >= az) ? 0 : (ay >= az ? 1 : 2);
  ON_3dVector right;
  if (maxIndex == 0) {
    right = (std::fabs(xdir.y) > std::fabs(ydir.y)) ? xdir : ydir;
    if (right.y < 0.0) right = -right;
  } else {
    right = (std::fabs(xdir.x) > std::fabs(ydir.x)) ? xdir : ydir;
    if (right.x < 0.0) right = -right;
  }
  return right;
}
