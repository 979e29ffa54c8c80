#include "common/renderer_frame.h"

#include <cmath>

namespace common {
namespace {

// Direction components this small are sent as exact zeros.
constexpr double kDirectionZero = 2.3283064365386963e-10;
constexpr float kParallelFov = 5.0f;
constexpr float kTwoPointFov = 47.0f;

float CleanComponent(double v) { return std::fabs(v) <= kDirectionZero ? 0.0f : float(v); }

double UnitScale(const CRhinoDoc* doc) {
  if (!doc) return 1.0;
  return doc->ModelUnits().MetersPerUnit(ON_DBL_QNAN) * 100.0;
}

}  // namespace

RendererFrame::RendererFrame(const CRhinoDoc* doc) : m_scale(UnitScale(doc)) {}

ON_3fPoint RendererFrame::PointF(const ON_3dPoint& p) const {
  const ON_3dPoint r = Point(p);
  return ON_3fPoint(static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.z));
}

void RendererFrame::Placement(const ON_Xform& x, float out[16]) const {
  const double s = m_scale;
  // Row i of R is row kRow[i] of S·X·S⁻¹: rows 0 and 1 exchanged.
  constexpr int kRow[4] = {1, 0, 2, 3};
  for (int column = 0; column < 4; ++column) {
    for (int i = 0; i < 4; ++i) {
      const int row = kRow[i];
      // The member itself: ON_Xform's [] is a call into openNURBS, sixteen
      // of them a placement.
      double value = x.m_xform[row][column];
      // S·X·S⁻¹ leaves the 3×3 part and the corner alone; the translation
      // column is scaled by s and the bottom row divided by it.
      if (row < 3 && column == 3)
        value = s * value;
      else if (row == 3 && column < 3)
        value = value / s;
      out[4 * column + i] = static_cast<float>(value);
    }
  }
}

CameraRecord RendererFrame::Camera(const ON_Viewport& vp) const {
  CameraRecord camera;
  float* c = camera.values;
  const ON_3fPoint location = PointF(vp.CameraLocation());
  c[0] = location.x;
  c[1] = location.y;
  c[2] = location.z;
  const ON_3dVector direction = vp.CameraDirection();
  const ON_3dVector towards = RendererAxes(direction);
  c[3] = CleanComponent(towards.x);
  c[4] = CleanComponent(towards.y);
  c[5] = CleanComponent(towards.z);
  const ON_3dVector up = RendererAxes(vp.CameraUp());
  c[6] = static_cast<float>(up.x);
  c[7] = static_cast<float>(up.y);
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
    const ON_3dVector u = RendererAxes(direction.UnitVector());
    const double t = vp.TargetDistance(true);
    const double w = vp.FrustumWidth();
    const double d = w * 0.5 / std::tan(ON_RadiansFromDegrees(5.0) * 0.5);
    const double k = (t - d) * m_scale;
    c[0] = static_cast<float>(c[0] + u.x * k);
    c[1] = static_cast<float>(c[1] + u.y * k);
    c[2] = static_cast<float>(c[2] + u.z * k);
  }
  if (vp.IsTwoPointPerspectiveProjection()) camera.fov = kTwoPointFov;
  return camera;
}

}  // namespace common
