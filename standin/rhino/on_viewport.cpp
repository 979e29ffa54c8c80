#include "on_viewport.h"

bool ON_Viewport::SetProjection(ON::view_projection projection) {
  m_projection = projection;
  m_two_point = false;
  return true;
}

bool ON_Viewport::ChangeToTwoPointPerspectiveProjection(double, const ON_3dVector& up, double) {
  m_projection = ON::view_projection::perspective_view;
  m_two_point = true;
  m_up = up;
  return true;
}

bool ON_Viewport::IsPerspectiveProjection() const {
  return m_projection == ON::view_projection::perspective_view;
}
bool ON_Viewport::IsParallelProjection() const {
  return m_projection == ON::view_projection::parallel_view;
}
bool ON_Viewport::IsTwoPointPerspectiveProjection() const {
  return m_projection == ON::view_projection::perspective_view && m_two_point;
}

bool ON_Viewport::SetCameraLocation(const ON_3dPoint& p) {
  m_location = p;
  return p.IsValid();
}
bool ON_Viewport::SetCameraDirection(const ON_3dVector& d) {
  m_direction = d;
  return d.IsValid();
}
bool ON_Viewport::SetCameraUp(const ON_3dVector& u) {
  m_up = u;
  return u.IsValid();
}

bool ON_Viewport::SetFrustum(double l, double r, double b, double t, double n, double f) {
  m_frus_left = l, m_frus_right = r, m_frus_bottom = b, m_frus_top = t;
  m_frus_near = n, m_frus_far = f;
  return l < r && b < t && n > 0 && n < f;
}

bool ON_Viewport::GetFrustum(double* l, double* r, double* b, double* t, double* n,
                             double* f) const {
  if (l) *l = m_frus_left;
  if (r) *r = m_frus_right;
  if (b) *b = m_frus_bottom;
  if (t) *t = m_frus_top;
  if (n) *n = m_frus_near;
  if (f) *f = m_frus_far;
  return IsValidFrustum();
}

bool ON_Viewport::IsValidCamera() const {
  if (!m_location.IsValid() || !m_direction.IsValid() || !m_up.IsValid()) return false;
  const double d = m_direction.Length(), u = m_up.Length();
  if (!(d > 0.0) || !(u > 0.0)) return false;
  // The up vector must leave a non-zero component across the line of sight.
  return ON_CrossProduct(m_direction, m_up).Length() > ON_ZERO_TOLERANCE * d * u;
}

bool ON_Viewport::IsValidFrustum() const {
  for (double v : {m_frus_left, m_frus_right, m_frus_bottom, m_frus_top, m_frus_near, m_frus_far})
    if (!ON_IsValid(v)) return false;
  return m_frus_left < m_frus_right && m_frus_bottom < m_frus_top && m_frus_near > 0.0 &&
         m_frus_near < m_frus_far;
}

bool ON_Viewport::GetCameraAngle(double* half_diagonal, double* half_vertical,
                                 double* half_horizontal) const {
  if (half_diagonal) *half_diagonal = 0.0;
  if (half_vertical) *half_vertical = 0.0;
  if (half_horizontal) *half_horizontal = 0.0;
  double l, r, b, t, n;
  if (!GetFrustum(&l, &r, &b, &t, &n, nullptr)) return false;
  // The larger half-extent on each axis: an off-centre frustum counts its wider side.
  const double halfW = r > -l ? r : -l;
  const double halfH = t > -b ? t : -b;
  if (n > 0.0 && ON_IsValid(n)) {
    if (half_diagonal) *half_diagonal = std::atan(std::sqrt(halfW * halfW + halfH * halfH) / n);
    if (half_vertical) *half_vertical = std::atan(halfH / n);
    if (half_horizontal) *half_horizontal = std::atan(halfW / n);
  }
  return true;
}

bool ON_Viewport::SetTargetPoint(const ON_3dPoint& p) {
  const bool unset = p.x == ON_UNSET_VALUE && p.y == ON_UNSET_VALUE && p.z == ON_UNSET_VALUE;
  if (!p.IsValid() && !unset) return false;
  m_target = p;
  return true;
}

double ON_Viewport::TargetDistance(bool useFrustumCenterFallback) const {
  if (!IsValidCamera()) return ON_UNSET_VALUE;
  const bool fallback = useFrustumCenterFallback && IsValidFrustum();
  double d = ON_UNSET_VALUE;
  if (m_target.IsValid()) {
    d = (m_target - m_location) * m_direction.UnitVector();
    if (fallback && (!ON_IsValid(d) || d <= 0.0)) d = ON_UNSET_VALUE;
  }
  if (fallback && d == ON_UNSET_VALUE) d = 0.5 * (m_frus_near + m_frus_far);
  return d;
}

ON_3dPoint ON_Viewport::FrustumCenterPoint(double targetDistance) const {
  const ON_3dPoint unset(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
  if (!IsValidCamera() || !IsValidFrustum()) return unset;
  if (targetDistance == ON_UNSET_VALUE) targetDistance = 0.5 * (m_frus_near + m_frus_far);
  if (!ON_IsValid(targetDistance) || targetDistance <= 0.0) return unset;
  ON_3dVector cx, cy, cz;
  CameraFrame(&cx, &cy, &cz);
  // The middle of the frustum's cross-section at that depth, which lies off
  // the line of sight for an off-centre frustum.
  const double k = IsPerspectiveProjection() ? 0.5 * targetDistance / m_frus_near : 0.5;
  return m_location + cx * (k * (m_frus_left + m_frus_right)) +
         cy * (k * (m_frus_bottom + m_frus_top)) - cz * targetDistance;
}

void ON_Viewport::CameraFrame(ON_3dVector* x, ON_3dVector* y, ON_3dVector* z) const {
  *z = -m_direction.UnitVector();
  ON_3dVector up = m_up - (*z) * (m_up * (*z));
  *y = up.UnitVector();
  *x = ON_CrossProduct(*y, *z);
}

ON_BoundingBox ON_Viewport::BoundingBox() const {
  if (!IsValidCamera() || !IsValidFrustum()) return ON_BoundingBox();
  ON_3dVector cx, cy, cz;
  CameraFrame(&cx, &cy, &cz);
  ON_BoundingBox box;
  box.Set(m_location, false);
  const bool perspective = IsPerspectiveProjection();
  for (double depth : {m_frus_near, m_frus_far}) {
    const double k = perspective ? depth / m_frus_near : 1.0;
    for (double u : {m_frus_left, m_frus_right})
      for (double v : {m_frus_bottom, m_frus_top})
        box.Set(m_location + cx * (u * k) + cy * (v * k) - cz * depth, true);
  }
  return box;
}

bool ON_Viewport::Transform(const ON_Xform& xform) {
  const ON_3dPoint loc = xform * m_location;
  const ON_3dPoint ahead = xform * (m_location + m_direction);
  const ON_3dPoint above = xform * (m_location + m_up);
  m_location = loc;
  m_direction = ahead - loc;
  m_up = above - loc;
  if (m_target.IsValid()) m_target = xform * m_target;
  return true;
}
