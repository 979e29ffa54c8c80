#include "standin/bridge/frame.h"

#include <cmath>

namespace orvex_bridge {
namespace {

double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec3 Scaled(const Vec3& v, double s) { return {v[0] * s, v[1] * s, v[2] * s}; }

Vec3 Minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

bool IsUsable(const Vec3& v) {
  const double length = std::sqrt(Dot(v, v));
  return std::isfinite(length) && length > 1e-12;
}

Vec3 Unit(const Vec3& v) { return Scaled(v, 1.0 / std::sqrt(Dot(v, v))); }

// A unit vector perpendicular to the unit vector `z`, from the `preferred` one when it is not
// parallel to z.
Vec3 PerpendicularUnit(const Vec3& z, const Vec3& preferred) {
  for (const Vec3& candidate : {preferred, Vec3{0, 1, 0}, Vec3{1, 0, 0}}) {
    if (!IsUsable(candidate)) continue;
    const Vec3 rest = Minus(candidate, Scaled(z, Dot(candidate, z)));
    if (std::sqrt(Dot(rest, rest)) > 1e-6 * std::sqrt(Dot(candidate, candidate))) return Unit(rest);
  }
  return {1, 0, 0};
}

}  // namespace

std::array<float, 16> NodeTransformToGltf(const std::array<float, 16>& t, bool mirrored) {
  // F maps renderer x, y, z to glTF -z, x, y (in metres); F^-1 back. Column-major, element
  // (row r, column c) at [4 c + r].
  auto at = [&](int r, int c) { return static_cast<double>(t[4 * c + r]); };
  static const int kFrom[3] = {1, 2, 0};            // glTF axis i comes from renderer axis kFrom[i]
  static const double kSign[3] = {1.0, 1.0, -1.0};  // with this sign
  std::array<float, 16> n{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      // (F T F^-1)[r][c] = sign_r T[from_r][from_c] sign_c; the scale of F cancels.
      n[4 * c + r] = static_cast<float>(kSign[r] * at(kFrom[r], kFrom[c]) * kSign[c]);
    }
    n[12 + r] = static_cast<float>(kSign[r] * at(kFrom[r], 3) / 100.0);
  }
  n[15] = 1.0f;
  if (mirrored) {
    for (int r = 0; r < 3; ++r) n[r] = -n[r];  // N M, M mirroring glTF's X
  }
  return n;
}

Vec3 PointToGltf(const Vec3& renderer) {
  return {renderer[1] / 100.0, renderer[2] / 100.0, -renderer[0] / 100.0};
}

Vec3 DirectionToGltf(const Vec3& renderer) { return {renderer[1], renderer[2], -renderer[0]}; }

Quat QuaternionFromAxes(const Vec3& x, const Vec3& y, const Vec3& z) {
  // m[row][column], columns x, y, z.
  const double m00 = x[0], m10 = x[1], m20 = x[2];
  const double m01 = y[0], m11 = y[1], m21 = y[2];
  const double m02 = z[0], m12 = z[1], m22 = z[2];
  const double trace = m00 + m11 + m22;
  Quat q;
  if (trace > 0) {
    const double s = 2.0 * std::sqrt(trace + 1.0);
    q = {(m21 - m12) / s, (m02 - m20) / s, (m10 - m01) / s, 0.25 * s};
  } else if (m00 > m11 && m00 > m22) {
    const double s = 2.0 * std::sqrt(1.0 + m00 - m11 - m22);
    q = {0.25 * s, (m01 + m10) / s, (m02 + m20) / s, (m21 - m12) / s};
  } else if (m11 > m22) {
    const double s = 2.0 * std::sqrt(1.0 + m11 - m00 - m22);
    q = {(m01 + m10) / s, 0.25 * s, (m12 + m21) / s, (m02 - m20) / s};
  } else {
    const double s = 2.0 * std::sqrt(1.0 + m22 - m00 - m11);
    q = {(m02 + m20) / s, (m12 + m21) / s, 0.25 * s, (m10 - m01) / s};
  }
  const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  for (double& value : q) value /= length;
  return q;
}

Placement CameraPlacement(const std::array<float, 9>& record) {
  Placement placement;
  placement.translation = PointToGltf({record[0], record[1], record[2]});
  Vec3 forward = DirectionToGltf({record[3], record[4], record[5]});
  forward = IsUsable(forward) ? Unit(forward) : DirectionToGltf({0, 0, -1});
  const Vec3 up = PerpendicularUnit(forward, DirectionToGltf({record[6], record[7], record[8]}));
  const Vec3 right = Cross(forward, up);
  placement.rotation = QuaternionFromAxes(right, up, Scaled(forward, -1.0));
  return placement;
}

Placement LightPlacement(const std::array<double, 16>& rows) {
  Placement placement;
  placement.translation = PointToGltf({rows[12], rows[13], rows[14]});
  Vec3 z = DirectionToGltf({rows[8], rows[9], rows[10]});
  z = IsUsable(z) ? Unit(z) : Vec3{0, 1, 0};
  const Vec3 x = PerpendicularUnit(z, DirectionToGltf({rows[0], rows[1], rows[2]}));
  placement.rotation = QuaternionFromAxes(x, Cross(z, x), z);
  return placement;
}

}  // namespace orvex_bridge
