// Points, vectors, transforms, bounding boxes and the geometry base classes.
#pragma once

#include <cmath>
#include <limits>

#include "on_string.h"
#include "on_uuid.h"

constexpr double ON_DBL_QNAN = std::numeric_limits<double>::quiet_NaN();
constexpr double ON_UNSET_VALUE = -1.23432101234321e+308;
constexpr double ON_UNSET_POSITIVE_VALUE = 1.23432101234321e+308;
constexpr float ON_UNSET_FLOAT = -1.234321e+38f;
constexpr float ON_UNSET_POSITIVE_FLOAT = 1.234321e+38f;
constexpr double ON_PI = 3.141592653589793238462643;
constexpr double ON_ZERO_TOLERANCE = 2.3283064365386962890625e-10;

// A double is valid when finite and strictly inside the unset values.
inline bool ON_IsValid(double x) {
  return std::isfinite(x) && x > ON_UNSET_VALUE && x < ON_UNSET_POSITIVE_VALUE;
}
// A float is valid when finite and strictly inside the float unset values.
inline bool ON_IsValidFloat(float x) {
  return std::isfinite(x) && x > ON_UNSET_FLOAT && x < ON_UNSET_POSITIVE_FLOAT;
}

inline double ON_DegreesFromRadians(double radians) { return radians * (180.0 / ON_PI); }
inline double ON_RadiansFromDegrees(double degrees) { return degrees * (ON_PI / 180.0); }

class ON_3dVector;

class ON_3dPoint {
 public:
  double x = 0, y = 0, z = 0;
  ON_3dPoint() = default;
  ON_3dPoint(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  explicit ON_3dPoint(const ON_3dVector& v);
  bool IsValid() const { return ON_IsValid(x) && ON_IsValid(y) && ON_IsValid(z); }
  ON_3dPoint operator*(double s) const { return {x * s, y * s, z * s}; }
  ON_3dPoint operator+(const ON_3dPoint& p) const { return {x + p.x, y + p.y, z + p.z}; }
  ON_3dPoint operator+(const ON_3dVector& v) const;
  ON_3dPoint operator-(const ON_3dVector& v) const;
  ON_3dVector operator-(const ON_3dPoint& p) const;
  bool operator==(const ON_3dPoint& p) const { return x == p.x && y == p.y && z == p.z; }
  bool operator!=(const ON_3dPoint& p) const { return !(*this == p); }
  static const ON_3dPoint Origin;
};

class ON_3dVector {
 public:
  double x = 0, y = 0, z = 0;
  ON_3dVector() = default;
  ON_3dVector(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  bool IsValid() const { return ON_IsValid(x) && ON_IsValid(y) && ON_IsValid(z); }
  double Length() const { return std::sqrt(x * x + y * y + z * z); }
  // The vector scaled to length one; the zero vector when its length is zero.
  ON_3dVector UnitVector() const;
  bool Unitize();
  ON_3dVector operator*(double s) const { return {x * s, y * s, z * s}; }
  ON_3dVector operator+(const ON_3dVector& v) const { return {x + v.x, y + v.y, z + v.z}; }
  ON_3dVector operator-(const ON_3dVector& v) const { return {x - v.x, y - v.y, z - v.z}; }
  ON_3dVector operator-() const { return {-x, -y, -z}; }
  double operator*(const ON_3dVector& v) const { return x * v.x + y * v.y + z * v.z; }
  bool operator==(const ON_3dVector& v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const ON_3dVector& v) const { return !(*this == v); }
  static const ON_3dVector ZeroVector;
  static const ON_3dVector XAxis;
  static const ON_3dVector YAxis;
  static const ON_3dVector ZAxis;
};

inline ON_3dPoint::ON_3dPoint(const ON_3dVector& v) : x(v.x), y(v.y), z(v.z) {}
inline ON_3dPoint ON_3dPoint::operator+(const ON_3dVector& v) const {
  return {x + v.x, y + v.y, z + v.z};
}
inline ON_3dPoint ON_3dPoint::operator-(const ON_3dVector& v) const {
  return {x - v.x, y - v.y, z - v.z};
}
inline ON_3dVector ON_3dPoint::operator-(const ON_3dPoint& p) const {
  return {x - p.x, y - p.y, z - p.z};
}

ON_3dVector ON_CrossProduct(const ON_3dVector& a, const ON_3dVector& b);
double ON_DotProduct(const ON_3dVector& a, const ON_3dVector& b);

class ON_3fPoint {
 public:
  float x = 0, y = 0, z = 0;
  ON_3fPoint() = default;
  ON_3fPoint(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  explicit ON_3fPoint(const ON_3dPoint& p)
      : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)), z(static_cast<float>(p.z)) {}
  // False for NaN, infinities and coordinates at or beyond the float unset values.
  bool IsValid() const { return ON_IsValidFloat(x) && ON_IsValidFloat(y) && ON_IsValidFloat(z); }
};

class ON_3fVector {
 public:
  float x = 0, y = 0, z = 0;
  ON_3fVector() = default;
  ON_3fVector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  bool IsValid() const { return ON_IsValidFloat(x) && ON_IsValidFloat(y) && ON_IsValidFloat(z); }
};

class ON_2fPoint {
 public:
  float x = 0, y = 0;
  ON_2fPoint() = default;
  ON_2fPoint(float x_, float y_) : x(x_), y(y_) {}
  bool IsValid() const { return ON_IsValidFloat(x) && ON_IsValidFloat(y); }
};

// A 4x4 transform; m_xform[i][j] is row i, column j, translation in column 3.
class ON_Xform {
 public:
  double m_xform[4][4] = {{0}};
  ON_Xform() = default;
  explicit ON_Xform(double diagonal);
  static const ON_Xform IdentityTransformation;
  static const ON_Xform ZeroTransformation;
  static ON_Xform DiagonalTransformation(double s);
  static ON_Xform TranslationTransformation(const ON_3dVector& delta);
  static ON_Xform RotationTransformation(double angleRadians, const ON_3dVector& axis,
                                         const ON_3dPoint& center);
  double* operator[](int i) { return m_xform[i]; }
  const double* operator[](int i) const { return m_xform[i]; }
  ON_Xform operator*(const ON_Xform& rhs) const;
  ON_3dPoint operator*(const ON_3dPoint& p) const;
  bool IsIdentity(double tolerance = 0.0) const;
};

class ON_BoundingBox {
 public:
  ON_3dPoint m_min{1.0, 0.0, 0.0};
  ON_3dPoint m_max{-1.0, 0.0, 0.0};
  ON_BoundingBox() = default;
  ON_BoundingBox(const ON_3dPoint& mn, const ON_3dPoint& mx) : m_min(mn), m_max(mx) {}
  bool IsValid() const {
    return m_min.IsValid() && m_max.IsValid() && m_min.x <= m_max.x && m_min.y <= m_max.y &&
           m_min.z <= m_max.z;
  }
  ON_3dPoint Center() const {
    return {0.5 * (m_min.x + m_max.x), 0.5 * (m_min.y + m_max.y), 0.5 * (m_min.z + m_max.z)};
  }
  void Set(const ON_3dPoint& p, bool growBox);
  static const ON_BoundingBox EmptyBoundingBox;
};

bool operator==(const ON_BoundingBox& a, const ON_BoundingBox& b);
bool operator!=(const ON_BoundingBox& a, const ON_BoundingBox& b);

class ON_Object {
 public:
  virtual ~ON_Object() = default;
};

class ON_Geometry : public ON_Object {
 public:
  virtual ON_BoundingBox BoundingBox() const { return ON_BoundingBox(); }
  virtual bool Transform(const ON_Xform&) { return false; }
  // Uniform scaling about the world origin.
  bool Scale(double scale_factor) {
    return Transform(ON_Xform::DiagonalTransformation(scale_factor));
  }
};

// A named, identified component of a model (layers, materials, definitions, lights).
class ON_ModelComponent : public ON_Object {
 public:
  const ON_UUID& Id() const { return m_id; }
  void SetId(const ON_UUID& id) { m_id = id; }
  const ON_wString Name() const { return m_name; }
  void SetName(const ON_wString& name) { m_name = name; }
  bool IsDeleted() const { return m_deleted; }
  void SetDeleted(bool deleted) { m_deleted = deleted; }
  bool IsHidden() const { return m_hidden; }
  void SetHidden(bool hidden) { m_hidden = hidden; }

 private:
  ON_UUID m_id;
  ON_wString m_name;
  bool m_deleted = false;
  bool m_hidden = false;
};
