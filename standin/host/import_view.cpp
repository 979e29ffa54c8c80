#include "import_view.h"

#include <assimp/camera.h>

#include <algorithm>
#include <cmath>

#include "import_frame.h"
#include "import_mesh.h"

namespace {

// The length scale of a transform: the cube root of its volume scale.
double LengthScale(const ON_Xform& x) {
  const double s = std::cbrt(std::fabs(LinearDeterminant(x)));
  return (s > 0.0 && std::isfinite(s)) ? s : 1.0;
}

// The host's usual view cone: 25 degrees either side, a 4:3 frame.
constexpr double kHalfWidthDegrees = 25.0;
constexpr double kFrameAspect = 4.0 / 3.0;

}  // namespace

ON_Viewport CameraViewport(const aiCamera& camera, const ON_Xform& place, bool atNode) {
  const ON_3dPoint position =
      atNode ? ON_3dPoint::Origin
             : ON_3dPoint(camera.mPosition.x, camera.mPosition.y, camera.mPosition.z);
  const ON_3dVector look = atNode
                               ? ON_3dVector(0, 0, -1)
                               : ON_3dVector(camera.mLookAt.x, camera.mLookAt.y, camera.mLookAt.z);
  const ON_3dVector up =
      atNode ? ON_3dVector(0, 1, 0) : ON_3dVector(camera.mUp.x, camera.mUp.y, camera.mUp.z);

  const ON_3dPoint location = TransformPoint(place, position);
  const ON_3dVector toTarget = TransformVector(place, look);
  const ON_3dVector direction = Unit(toTarget, -ON_3dVector::ZAxis);
  const double scale = LengthScale(place);
  const double aspect = camera.mAspect > 0.0f ? camera.mAspect : kFrameAspect;
  const double nearDistance = (camera.mClipPlaneNear > 0.0f ? camera.mClipPlaneNear : 0.01) * scale;
  const double farDistance = camera.mClipPlaneFar > camera.mClipPlaneNear
                                 ? camera.mClipPlaneFar * scale
                                 : nearDistance * 1e4;

  ON_Viewport vp;
  double halfWidth;
  if (camera.mOrthographicWidth > 0.0f && !(camera.mHorizontalFOV > 0.0f)) {
    vp.SetProjection(ON::view_projection::parallel_view);
    halfWidth = camera.mOrthographicWidth * scale;
  } else {
    // assimp's readers of glTF, COLLADA and FBX give the whole horizontal angle.
    vp.SetProjection(ON::view_projection::perspective_view);
    const double angle = (camera.mHorizontalFOV > 0.0f && camera.mHorizontalFOV < ON_PI)
                             ? camera.mHorizontalFOV
                             : 2.0 * ON_RadiansFromDegrees(kHalfWidthDegrees);
    halfWidth = nearDistance * std::tan(0.5 * angle);
  }
  vp.SetCameraLocation(location);
  vp.SetCameraDirection(direction);
  const ON_3dVector worldUp =
      up == ON_3dVector::ZeroVector ? ON_3dVector::ZAxis : TransformVector(place, up);
  vp.SetCameraUp(UpAcross(worldUp, direction));
  vp.SetFrustum(-halfWidth, halfWidth, -halfWidth / aspect, halfWidth / aspect, nearDistance,
                farDistance);
  vp.SetTargetPoint(location + toTarget);
  return vp;
}

ON_Viewport ExtentsViewport(const ON_BoundingBox& box) {
  const ON_3dPoint centre = box.Center();
  double radius = 0.5 * (box.m_max - box.m_min).Length();
  if (!(radius > 0.0)) radius = 1.0;
  const ON_3dVector direction = ON_3dVector(-1, 1, -1).UnitVector();
  const double halfWidth = std::tan(ON_RadiansFromDegrees(kHalfWidthDegrees));
  const double halfHeight = halfWidth / kFrameAspect;
  const double distance = radius / std::sin(std::atan(halfHeight));
  const double nearDistance = std::max(distance - radius, distance * 1e-3);
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::perspective_view);
  vp.SetCameraLocation(centre - direction * distance);
  vp.SetCameraDirection(direction);
  vp.SetCameraUp(UpAcross(ON_3dVector::ZAxis, direction));
  vp.SetFrustum(-nearDistance * halfWidth, nearDistance * halfWidth, -nearDistance * halfHeight,
                nearDistance * halfHeight, nearDistance, distance + radius);
  vp.SetTargetPoint(centre);
  return vp;
}
