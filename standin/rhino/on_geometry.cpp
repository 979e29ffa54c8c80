#include "on_geometry.h"

const ON_3dPoint ON_3dPoint::Origin{0, 0, 0};
const ON_3dVector ON_3dVector::ZeroVector{0, 0, 0};
const ON_3dVector ON_3dVector::XAxis{1, 0, 0};
const ON_3dVector ON_3dVector::YAxis{0, 1, 0};
const ON_3dVector ON_3dVector::ZAxis{0, 0, 1};
const ON_Xform ON_Xform::IdentityTransformation{1.0};
const ON_Xform ON_Xform::ZeroTransformation{};
const ON_BoundingBox ON_BoundingBox::EmptyBoundingBox{};

ON_3dVector ON_3dVector::UnitVector() const {
  ON_3dVector v = *this;
  v.Unitize();
  return v;
}

bool ON_3dVector::Unitize() {
  const double length = Length();
  if (!(length > 0.0) || !std::isfinite(length)) {
    x = y = z = 0.0;
    return false;
  }
  x /= length;
  y /= length;
  z /= length;
  return true;
}

ON_3dVector ON_CrossProduct(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - b.y * a.z, a.z * b.x - b.z * a.x, a.x * b.y - b.x * a.y};
}

double ON_DotProduct(const ON_3dVector& a, const ON_3dVector& b) { return a * b; }

ON_Xform::ON_Xform(double diagonal) {
  for (int i = 0; i < 4; ++i) m_xform[i][i] = (i < 3) ? diagonal : 1.0;
}

ON_Xform ON_Xform::DiagonalTransformation(double s) { return ON_Xform(s); }

ON_Xform ON_Xform::TranslationTransformation(const ON_3dVector& d) {
  ON_Xform x(1.0);
  x.m_xform[0][3] = d.x;
  x.m_xform[1][3] = d.y;
  x.m_xform[2][3] = d.z;
  return x;
}

ON_Xform ON_Xform::RotationTransformation(double angle, const ON_3dVector& axisIn,
                                          const ON_3dPoint& c) {
  const ON_3dVector a = axisIn.UnitVector();
  const double s = std::sin(angle), k = std::cos(angle), t = 1.0 - k;
  ON_Xform r(1.0);
  r.m_xform[0][0] = t * a.x * a.x + k;
  r.m_xform[0][1] = t * a.x * a.y - s * a.z;
  r.m_xform[0][2] = t * a.x * a.z + s * a.y;
  r.m_xform[1][0] = t * a.x * a.y + s * a.z;
  r.m_xform[1][1] = t * a.y * a.y + k;
  r.m_xform[1][2] = t * a.y * a.z - s * a.x;
  r.m_xform[2][0] = t * a.x * a.z - s * a.y;
  r.m_xform[2][1] = t * a.y * a.z + s * a.x;
  r.m_xform[2][2] = t * a.z * a.z + k;
  // Rotate about c: T(c) * R * T(-c).
  return TranslationTransformation(ON_3dVector(c.x, c.y, c.z)) * r *
         TranslationTransformation(ON_3dVector(-c.x, -c.y, -c.z));
}

ON_Xform ON_Xform::operator*(const ON_Xform& b) const {
  ON_Xform r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += m_xform[i][k] * b.m_xform[k][j];
      r.m_xform[i][j] = sum;
    }
  return r;
}

ON_3dPoint ON_Xform::operator*(const ON_3dPoint& p) const {
  const double* m0 = m_xform[0];
  const double* m1 = m_xform[1];
  const double* m2 = m_xform[2];
  const double* m3 = m_xform[3];
  const double w = m3[0] * p.x + m3[1] * p.y + m3[2] * p.z + m3[3];
  const double iw = (w != 0.0) ? 1.0 / w : 1.0;
  return {iw * (m0[0] * p.x + m0[1] * p.y + m0[2] * p.z + m0[3]),
          iw * (m1[0] * p.x + m1[1] * p.y + m1[2] * p.z + m1[3]),
          iw * (m2[0] * p.x + m2[1] * p.y + m2[2] * p.z + m2[3])};
}

bool ON_Xform::IsIdentity(double tolerance) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (std::fabs(m_xform[i][j] - (i == j ? 1.0 : 0.0)) > tolerance) return false;
  return true;
}

void ON_BoundingBox::Set(const ON_3dPoint& p, bool growBox) {
  if (!growBox || !IsValid()) {
    m_min = m_max = p;
    return;
  }
  m_min = {std::fmin(m_min.x, p.x), std::fmin(m_min.y, p.y), std::fmin(m_min.z, p.z)};
  m_max = {std::fmax(m_max.x, p.x), std::fmax(m_max.y, p.y), std::fmax(m_max.z, p.z)};
}

bool operator==(const ON_BoundingBox& a, const ON_BoundingBox& b) {
  return a.m_min == b.m_min && a.m_max == b.m_max;
}
bool operator!=(const ON_BoundingBox& a, const ON_BoundingBox& b) { return !(a == b); }
