// The rotations that place spot, linear and rectangular lights, built from
// quaternions in double precision. Vectors and matrices are in Rhino's frame.
#pragma once

#include <Eigen/Core>
#include <Eigen/Geometry>

#include "RhinoSdk.h"

namespace light {

Eigen::Vector3d ToEigen(const ON_3dVector& v);

// The shortest-arc rotation turning the direction of `from` into that of `to`
// (both normalised first; a zero vector stays zero). For opposite directions
// the axis is a unit vector orthogonal to both.
Eigen::Quaterniond ShortestArc(const Eigen::Vector3d& from, const Eigen::Vector3d& to);

// The quaternion product applying `first`, then `second`; not renormalised.
Eigen::Quaterniond Compose(const Eigen::Quaterniond& second, const Eigen::Quaterniond& first);

// The rotation matrix of a quaternion taken as it is (no normalisation), so a
// quaternion of norm n gives a matrix scaled accordingly.
Eigen::Matrix3d RotationMatrix(const Eigen::Quaterniond& q);

// A spot light: turns (0, 0, -1) into the light's direction.
Eigen::Matrix3d SpotRotation(const ON_3dVector& direction);

// A linear light: turns (0, 0, 1) into the normal length x width, then the
// image of (1, 0, 0) into the direction of the length vector.
Eigen::Matrix3d LinearRotation(const ON_3dVector& length, const ON_3dVector& width);

// A rectangular light: turns (0, 0, -1) into the light's direction, then the
// image of (1, 0, 0) into the host's perpendicular direction.
Eigen::Matrix3d RectangularRotation(const ON_3dVector& direction, const ON_3dVector& perpendicular);

}  // namespace light
