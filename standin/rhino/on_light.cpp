#include "on_light.h"

#include <cfloat>

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

namespace {

// The SDK's vector length and unitizing, step for step (the largest coordinate
// is factored out first), so that the perpendicular direction comes out bit for
// bit as the SDK computes it.
double SdkLength(const ON_3dVector& v) {
  double fx = std::fabs(v.x), fy = std::fabs(v.y), fz = std::fabs(v.z);
  double len;
  if (fy >= fx && fy >= fz) {
    len = fx;
    fx = fy;
    fy = len;
  } else if (fz >= fx && fz >= fy) {
    len = fx;
    fx = fz;
    fz = len;
  }
  if (fx > DBL_MIN) {
    len = 1.0 / fx;
    fy *= len;
    fz *= len;
    return fx * std::sqrt(1.0 + fy * fy + fz * fz);
  }
  if (fx > 0.0 && std::isfinite(fx)) return fx;
  return 0.0;
}

bool SdkUnitize(ON_3dVector& v) {
  double d = SdkLength(v);
  if (d > DBL_MIN) {
    d = 1.0 / d;
    v.x *= d;
    v.y *= d;
    v.z *= d;
    return true;
  }
  if (d > 0.0 && std::isfinite(d)) {
    // Tiny (denormal) coordinates: scale by 2^1023 and try again.
    ON_3dVector tmp(v.x * 8.9884656743115795386465259539451e+307,
                    v.y * 8.9884656743115795386465259539451e+307,
                    v.z * 8.9884656743115795386465259539451e+307);
    d = SdkLength(tmp);
    if (d > DBL_MIN) {
      d = 1.0 / d;
      v = ON_3dVector(tmp.x * d, tmp.y * d, tmp.z * d);
      return true;
    }
  }
  v = ON_3dVector(0.0, 0.0, 0.0);
  return false;
}

// Parallel or anti-parallel within the angle tolerance; false when either vector is zero.
bool SdkIsParallelTo(const ON_3dVector& a, const ON_3dVector& b, double angleTolerance) {
  const double ll = SdkLength(a) * SdkLength(b);
  if (!(ll > 0.0)) return false;
  const double cosAngle = (a.x * b.x + a.y * b.y + a.z * b.z) / ll;
  const double cosTolerance = std::cos(angleTolerance);
  return cosAngle >= cosTolerance || cosAngle <= -cosTolerance;
}

// Index of the coordinate of largest magnitude; ties go to the lower index.
int SdkMaximumCoordinateIndex(const ON_3dVector& v) {
  const double ax = std::fabs(v.x), ay = std::fabs(v.y), az = std::fabs(v.z);
  return (ay > ax) ? ((az > ay) ? 2 : 1) : ((az > ax) ? 2 : 0);
}

double Coordinate(const ON_3dVector& v, int index) {
  return index <= 0 ? v.x : (index >= 2 ? v.z : v.y);
}

constexpr double kSqrtEpsilon = 1.490116119384766e-08;

}  // namespace

ON_3dVector ON_Light::PerpindicularDirection() const {
  // For a linear or rectangular light whose length is perpendicular to the
  // direction: the length's direction. Otherwise a vector made from the
  // direction and a world axis, turned to point along the positive side of its
  // largest coordinate.
  ON_3dVector dir = m_direction;
  if (!dir.IsValid() || !SdkUnitize(dir))
    return ON_3dVector(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);

  ON_3dVector xdir;
  if (IsLinearLight() || IsRectangularLight()) {
    xdir = m_length;
    if (xdir.IsValid() && SdkUnitize(xdir) && std::fabs(xdir * dir) <= kSqrtEpsilon) return xdir;
  }

  if (SdkIsParallelTo(dir, ON_3dVector::ZAxis, (ON_PI / 180.0) * 3.0))
    xdir = ON_CrossProduct(dir, ON_3dVector::XAxis);
  else
    xdir = ON_CrossProduct(dir, ON_3dVector::ZAxis);
  SdkUnitize(xdir);
  ON_3dVector ydir = ON_CrossProduct(dir, xdir);
  SdkUnitize(ydir);

  ON_3dVector right;
  if (SdkMaximumCoordinateIndex(dir) == 0) {
    right = (std::fabs(xdir.y) > std::fabs(ydir.y)) ? xdir : ydir;
    if (right.y < 0.0) right = -right;
  } else {
    right = (std::fabs(xdir.x) > std::fabs(ydir.x)) ? xdir : ydir;
    if (right.x < 0.0) right = -right;
  }
  if (Coordinate(right, SdkMaximumCoordinateIndex(right)) < 0.0) right = -right;
  return right;
}
