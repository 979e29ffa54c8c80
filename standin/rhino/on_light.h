// ON_Light: the kinds of light and their placement vectors.
#pragma once

#include "on_geometry.h"

namespace ON {
enum class light_style : unsigned int {
  unknown_light_style = 0,
  camera_directional_light = 4,
  camera_point_light = 5,
  camera_spot_light = 6,
  world_directional_light = 7,
  world_point_light = 8,
  world_spot_light = 9,
  ambient_light = 10,
  world_linear_light = 11,
  world_rectangular_light = 12,
};
}  // namespace ON

class ON_Light : public ON_ModelComponent {
 public:
  ON::light_style Style() const { return m_style; }
  void SetStyle(ON::light_style style) { m_style = style; }

  bool IsPointLight() const;
  bool IsDirectionalLight() const;
  bool IsSpotLight() const;
  bool IsLinearLight() const;
  bool IsRectangularLight() const;

  bool IsEnabled() const { return m_bOn; }
  void Enable(bool on) { m_bOn = on; }

  ON_3dPoint Location() const { return m_location; }
  ON_3dVector Direction() const { return m_direction; }
  ON_3dVector Length() const { return m_length; }
  ON_3dVector Width() const { return m_width; }
  void SetLocation(const ON_3dPoint& p) { m_location = p; }
  void SetDirection(const ON_3dVector& v) { m_direction = v; }
  void SetLength(const ON_3dVector& v) { m_length = v; }
  void SetWidth(const ON_3dVector& v) { m_width = v; }

  // A vector perpendicular to the light's direction, chosen as the SDK
  // chooses it (see on_light.cpp).
  ON_3dVector PerpindicularDirection() const;

 private:
  ON::light_style m_style = ON::light_style::world_point_light;
  bool m_bOn = true;
  ON_3dPoint m_location;
  ON_3dVector m_direction{0, 0, -1};
  ON_3dVector m_length;
  ON_3dVector m_width;
};
