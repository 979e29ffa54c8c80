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
  return true;
}

bool ON_Viewport::GetCameraAngle(double* half_diagonal, double* half_vertical,
                                 double* half_horizontal) const {
  const double halfW = m_frus_right > -m_frus_left ? m_frus_right : -m_frus_left;
  const double halfH = m_frus_top > -m_frus_bottom ? m_frus_top : -m_frus_bottom;
  const double n = m_frus_near;
  if (!(n > 0.0)) return false;
  const double halfD = std::sqrt(halfW * halfW + halfH * halfH);
  if (half_diagonal) *half_diagonal = std::atan(halfD / n);
  if (half_vertical) *half_vertical = std::atan(halfH / n);
  if (half_horizontal) *half_horizontal = std::atan(halfW / n);
  return true;
}

ON_3dPoint ON_Viewport::TargetPoint() const {
  if (m_target_set) return m_target;
  const double d = 0.5 * (m_frus_near + m_frus_far);
  return m_location + m_direction.UnitVector() * d;
}

double ON_Viewport::TargetDistance(bool useFrustumCenterFallback) const {
  if (!m_target_set)
    return useFrustumCenterFallback ? 0.5 * (m_frus_near + m_frus_far) : ON_UNSET_VALUE;
  return (m_target - m_location) * m_direction.UnitVector();
}

void ON_Viewport::CameraFrame(ON_3dVector* x, ON_3dVector* y, ON_3dVector* z) const {
  *z = -m_direction.UnitVector();
  ON_3dVector up = m_up - (*z) * (m_up * (*z));
  *y = up.UnitVector();
  *x = ON_CrossProduct(*y, *z);
}

ON_BoundingBox ON_Viewport::BoundingBox() const {
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
  const ON_3dPoint target = TargetPoint();
  const ON_3dPoint loc = xform * m_location;
  const ON_3dPoint ahead = xform * (m_location + m_direction);
  const ON_3dPoint above = xform * (m_location + m_up);
  m_location = loc;
  m_direction = ahead - loc;
  m_up = above - loc;
  if (m_target_set) m_target = xform * target;
  return true;
}
