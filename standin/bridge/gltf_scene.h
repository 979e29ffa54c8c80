// Lights and cameras as glTF nodes, placed in glTF's frame. Point and spot lights become
// KHR_lights_punctual lights; linear and rectangular lights plain nodes whose extras hold their
// size in metres (sizeX along the node's local X, sizeY along its local Y); each light group a
// node holding its lights and groups. A camera record becomes a perspective camera looking
// along the recorded direction.
#pragma once

#include <tiny_gltf.h>

#include <array>
#include <string>
#include <vector>

#include "standin/bridge/light_reader.h"

namespace orvex_bridge {

// Adds the groups and lights of `description`; returns the nodes that belong at the top of the
// scene (groups without a known parent, lights without a known group).
std::vector<int> AddLightNodes(tinygltf::Model& gltf, const LightDescription& description);

// The renderer's field of view is the horizontal angle in degrees; glTF asks for the vertical
// angle, here for a 16:9 frame. Angles outside (0, 180) degrees count as 45.
constexpr double kCameraAspectRatio = 16.0 / 9.0;
double VerticalFieldOfView(double horizontalDegrees);

// Adds a node named `name` with a camera for the record and field of view; returns the node.
int AddCameraNode(tinygltf::Model& gltf, const std::string& name,
                  const std::array<float, 9>& record, float fov, tinygltf::Value extras);

}  // namespace orvex_bridge
