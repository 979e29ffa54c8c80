// ON_Viewport: a camera (location, direction, up), a projection and a frustum.
#pragma once

#include "on_geometry.h"

namespace ON {
enum class view_projection : unsigned char {
  unknown_view = 0,
  parallel_view = 1,
  perspective_view = 2,
};
}  // namespace ON

class ON_Viewport : public ON_Geometry {
 public:
  ON_Viewport() = default;

  // Projection. A two-point perspective is a perspective whose camera up stays
  // the world Z axis.
  bool SetProjection(ON::view_projection projection);
  ON::view_projection Projection() const { return m_projection; }
  bool ChangeToTwoPointPerspectiveProjection(double targetDistance, const ON_3dVector& up,
                                             double lensLength);
  bool IsPerspectiveProjection() const;
  bool IsParallelProjection() const;
  bool IsTwoPointPerspectiveProjection() const;

  // Camera frame.
  bool SetCameraLocation(const ON_3dPoint& p);
  bool SetCameraDirection(const ON_3dVector& d);
  bool SetCameraUp(const ON_3dVector& u);
  ON_3dPoint CameraLocation() const { return m_location; }
  ON_3dVector CameraDirection() const { return m_direction; }
  ON_3dVector CameraUp() const { return m_up; }

  // Frustum in camera coordinates (left, right, bottom, top, near, far).
  bool SetFrustum(double left, double right, double bottom, double top, double nearDist,
                  double farDist);
  // The stored frustum; false when it is not a valid one (the values are
  // handed out all the same).
  bool GetFrustum(double* left, double* right, double* bottom, double* top, double* nearDist,
                  double* farDist) const;
  double FrustumWidth() const { return m_frus_right - m_frus_left; }
  double FrustumHeight() const { return m_frus_top - m_frus_bottom; }

  // A camera is valid with a valid location, a non-zero direction and an up
  // vector not parallel to it; a frustum with finite left < right,
  // bottom < top and 0 < near < far.
  bool IsValidCamera() const;
  bool IsValidFrustum() const;

  // Half angles of the view cone: diagonal, vertical, horizontal (radians),
  // from the frustum's larger half-extents and its near distance. Each output
  // is 0 unless the near distance is positive; false when the frustum is not
  // valid.
  bool GetCameraAngle(double* half_diagonal_angle, double* half_vertical_angle,
                      double* half_horizontal_angle) const;

  // Target point: the point set, or the unset point (every coordinate
  // ON_UNSET_VALUE) when none is.
  bool SetTargetPoint(const ON_3dPoint& p);
  ON_3dPoint TargetPoint() const { return m_target; }
  // The distance from the camera to the target along the view direction, or
  // ON_UNSET_VALUE. With useFrustumCenterFallback a missing target, or one not
  // in front of the camera, gives the distance to the frustum's middle depth,
  // (near + far) / 2.
  double TargetDistance(bool useFrustumCenterFallback) const;
  // The point on the line of sight at targetDistance before the camera (the
  // frustum's middle depth for ON_UNSET_VALUE); the unset point when the
  // distance is not positive or the camera or frustum is not valid.
  ON_3dPoint FrustumCenterPoint(double targetDistance) const;

  // Box of the camera location and the frustum's near and far corners, in world
  // coordinates: any change of camera, projection or frustum changes it. The
  // empty box when the camera or the frustum is not valid.
  ON_BoundingBox BoundingBox() const override;
  bool Transform(const ON_Xform& xform) override;

 private:
  void CameraFrame(ON_3dVector* x, ON_3dVector* y, ON_3dVector* z) const;

  ON::view_projection m_projection = ON::view_projection::parallel_view;
  bool m_two_point = false;
  ON_3dPoint m_location{0, 0, 100};
  ON_3dVector m_direction{0, 0, -1};
  ON_3dVector m_up{0, 1, 0};
  double m_frus_left = -20, m_frus_right = 20, m_frus_bottom = -20, m_frus_top = 20;
  double m_frus_near = 0.1, m_frus_far = 1000;
  ON_3dPoint m_target{ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE};
};
