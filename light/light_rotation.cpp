#include "light/light_rotation.h"

namespace light {

Eigen::Vector3d ToEigen(const ON_3dVector& v) { return Eigen::Vector3d(v.x, v.y, v.z); }

Eigen::Quaterniond ShortestArc(const Eigen::Vector3d& from, const Eigen::Vector3d& to) {
  return Eigen::Quaterniond::FromTwoVectors(from, to);
}

Eigen::Quaterniond Compose(const Eigen::Quaterniond& second, const Eigen::Quaterniond& first) {
  return second * first;
}

Eigen::Matrix3d RotationMatrix(const Eigen::Quaterniond& q) { return q.toRotationMatrix(); }

Eigen::Matrix3d SpotRotation(const ON_3dVector& direction) {
  return RotationMatrix(ShortestArc(Eigen::Vector3d(0.0, 0.0, -1.0), ToEigen(direction)));
}

namespace {

// q1 turns `localZ` into `normal`; q2 then turns q1's image of the x axis into `xTarget`.
Eigen::Matrix3d TwoStepRotation(const Eigen::Vector3d& localZ, const Eigen::Vector3d& normal,
                                const Eigen::Vector3d& xTarget) {
  const Eigen::Quaterniond q1 = ShortestArc(localZ, normal);
  const Eigen::Vector3d x1 = RotationMatrix(q1).col(0);
  const Eigen::Quaterniond q2 = ShortestArc(x1, xTarget);
  return RotationMatrix(Compose(q2, q1));
}

}  // namespace

Eigen::Matrix3d LinearRotation(const ON_3dVector& length, const ON_3dVector& width) {
  return TwoStepRotation(Eigen::Vector3d(0.0, 0.0, 1.0), ToEigen(ON_CrossProduct(length, width)),
                         ToEigen(length));
}

Eigen::Matrix3d RectangularRotation(const ON_3dVector& direction,
                                    const ON_3dVector& perpendicular) {
  return TwoStepRotation(Eigen::Vector3d(0.0, 0.0, -1.0), ToEigen(direction),
                         ToEigen(perpendicular));
}

}  // namespace light
