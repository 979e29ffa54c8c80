// The renderer frame and glTF's frame. The renderer holds lengths in centimetres with Rhino's X
// and Y axes exchanged (renderer x = Rhino y, renderer y = Rhino x, renderer z = Rhino z); glTF
// holds metres with Y up. Rhino (x, y, z) lands at glTF (x, z, -y), so a renderer point
// (x, y, z) lands at glTF (y, z, -x) / 100 and Rhino's front view looks along glTF's -Z.
#pragma once

#include <array>

namespace orvex_bridge {

using Vec3 = std::array<double, 3>;
using Quat = std::array<double, 4>;  // x, y, z, w

struct Placement {
  Vec3 translation{0, 0, 0};
  Quat rotation{0, 0, 0, 1};
  Vec3 scale{1, 1, 1};
};

// A column-major instance transform of the renderer frame as a glTF node's: F T F^-1, where F
// takes renderer points to glTF ones (a mirror, undoing the exchange of X and Y), so that a node
// keeps the handedness of its transform. With `mirrored`, glTF's X is mirrored first (the mesh
// data of the node is then mirrored the same way), which makes a mirroring transform a node
// that keeps handedness too.
std::array<float, 16> NodeTransformToGltf(const std::array<float, 16>& renderer, bool mirrored);

// A renderer-frame point in centimetres, in glTF metres.
Vec3 PointToGltf(const Vec3& renderer);
// A renderer-frame direction in glTF axes, its length kept.
Vec3 DirectionToGltf(const Vec3& renderer);

// The rotation whose columns are the right-handed orthonormal axes x, y and z.
Quat QuaternionFromAxes(const Vec3& x, const Vec3& y, const Vec3& z);

// A glTF camera placement (cameras look along local -Z with local +Y up) from a renderer-frame
// camera record: position (cm), view direction, up vector. A zero direction looks along the
// renderer's -z; an up vector parallel to the direction is replaced by another one.
Placement CameraPlacement(const std::array<float, 9>& record);

// A glTF light placement from the 4x4 row-vector matrix of a light description (rows 0 to 2:
// the light's local x, y and z axes in the renderer frame; row 3: its position in centimetres).
// The node's local X follows the light's local x, its local -Z the light's facing (the light's
// local -z), its local Y completes a right-handed frame; the axes are made orthonormal.
Placement LightPlacement(const std::array<double, 16>& rows);

}  // namespace orvex_bridge
