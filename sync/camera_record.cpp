#include "sync/camera_record.h"

#include <cmath>

namespace {

// Direction components this small are sent as exact zeros.
constexpr double kDirectionZero = 2.3283064365386963e-10;
constexpr float kParallelFov = 5.0f;
constexpr float kTwoPointFov = 47.0f;

float CleanComponent(double v) { return std::fabs(v) <= kDirectionZero ? 0.0f : float(v); }

}  // namespace

CameraRecord CameraFromViewport(const ON_Viewport& vp, double s) {
  CameraRecord camera;
  float* c = camera.values;
  const ON_3dPoint location = vp.CameraLocation();
  c[0] = static_cast<float>(s * location.y);
  c[1] = static_cast<float>(s * location.x);
  c[2] = static_cast<float>(s * location.z);
  const ON_3dVector direction = vp.CameraDirection();
  c[3] = CleanComponent(direction.y);
  c[4] = CleanComponent(direction.x);
  c[5] = CleanComponent(direction.z);
  const ON_3dVector up = vp.CameraUp();
  c[6] = static_cast<float>(up.y);
  c[7] = static_cast<float>(up.x);
  c[8] = static_cast<float>(up.z);

  if (vp.IsPerspectiveProjection()) {
    double halfDiagonal = 0, halfVertical = 0, halfHorizontal = 0;
    vp.GetCameraAngle(&halfDiagonal, &halfVertical, &halfHorizontal);
    camera.fov = static_cast<float>(ON_DegreesFromRadians(2.0 * halfHorizontal));
  }
  if (vp.IsParallelProjection()) {
    // Stand the camera on the line of sight where a 5-degree view spans the
    // frustum width; the target stays where it was.
    camera.fov = kParallelFov;
    const ON_3dVector u = direction.UnitVector();
    const double t = vp.TargetDistance(true);
    const double w = vp.FrustumWidth();
    const double d = w * 0.5 / std::tan(ON_RadiansFromDegrees(5.0) * 0.5);
    const double k = (t - d) * s;
    c[1] = static_cast<float>(c[1] + u.x * k);
    c[0] = static_cast<float>(c[0] + u.y * k);
    c[2] = static_cast<float>(c[2] + u.z * k);
  }
  if (vp.IsTwoPointPerspectiveProjection()) camera.fov = kTwoPointFov;
  return camera;
}
