#include "standin/bridge/gltf_scene.h"

#include <cmath>
#include <map>
#include <utility>

#include "standin/bridge/frame.h"

namespace orvex_bridge {
namespace {

constexpr double kPi = 3.14159265358979323846;

using Object = tinygltf::Value::Object;

const char* KindName(LightKind kind) {
  switch (kind) {
    case LightKind::kPoint: return "point";
    case LightKind::kSpot: return "spot";
    case LightKind::kLinear: return "linear";
    case LightKind::kRectangular: return "rectangular";
  }
  return "point";
}

void Place(tinygltf::Node& node, const Placement& placement) {
  node.translation.assign(placement.translation.begin(), placement.translation.end());
  node.rotation.assign(placement.rotation.begin(), placement.rotation.end());
}

int AddNode(tinygltf::Model& gltf, tinygltf::Node node) {
  gltf.nodes.push_back(std::move(node));
  return static_cast<int>(gltf.nodes.size()) - 1;
}

int AddLightNode(tinygltf::Model& gltf, const LightRecord& light) {
  tinygltf::Node node;
  node.name = light.name;
  Place(node, LightPlacement(light.transform));
  Object extras{{"kind", tinygltf::Value(std::string(KindName(light.kind)))},
                {"id", tinygltf::Value(light.id)},
                {"brightness", tinygltf::Value(light.brightness)}};
  if (light.kind == LightKind::kLinear || light.kind == LightKind::kRectangular) {
    extras["sizeX"] = tinygltf::Value(light.sizeX / 100.0);
    extras["sizeY"] = tinygltf::Value(light.sizeY / 100.0);
  } else {
    tinygltf::Light punctual;
    punctual.name = light.name;
    punctual.type = KindName(light.kind);
    punctual.color = {1.0, 1.0, 1.0};
    punctual.intensity = light.brightness;
    gltf.lights.push_back(punctual);
    node.extensions["KHR_lights_punctual"] = tinygltf::Value(
        Object{{"light", tinygltf::Value(static_cast<int>(gltf.lights.size()) - 1)}});
  }
  node.extras = tinygltf::Value(std::move(extras));
  return AddNode(gltf, std::move(node));
}

}  // namespace

std::vector<int> AddLightNodes(tinygltf::Model& gltf, const LightDescription& description) {
  // A group hangs under the first group of its parent id declared before it, so that every
  // node has one parent and no cycle can form.
  std::map<std::string, int> groupNodes;
  std::vector<int> top;
  for (const LightGroupRecord& group : description.groups) {
    tinygltf::Node node;
    node.name = group.name;
    node.extras = tinygltf::Value(Object{{"lightGroup", tinygltf::Value(group.id)}});
    const int index = AddNode(gltf, std::move(node));
    const auto parent = groupNodes.find(group.parentId);
    if (parent != groupNodes.end()) {
      gltf.nodes[parent->second].children.push_back(index);
    } else {
      top.push_back(index);
    }
    groupNodes.emplace(group.id, index);
  }
  for (const LightRecord& light : description.lights) {
    const int node = AddLightNode(gltf, light);
    const auto group = groupNodes.find(light.groupId);
    if (group != groupNodes.end()) {
      gltf.nodes[group->second].children.push_back(node);
    } else {
      top.push_back(node);
    }
  }
  return top;
}

double VerticalFieldOfView(double horizontalDegrees) {
  if (!(horizontalDegrees > 0.0 && horizontalDegrees < 180.0)) horizontalDegrees = 45.0;
  const double half = horizontalDegrees * kPi / 360.0;
  return 2.0 * std::atan(std::tan(half) / kCameraAspectRatio);
}

int AddCameraNode(tinygltf::Model& gltf, const std::string& name,
                  const std::array<float, 9>& record, float fov, tinygltf::Value extras) {
  tinygltf::Camera camera;
  camera.name = name;
  camera.type = "perspective";
  camera.perspective.yfov = VerticalFieldOfView(fov);
  camera.perspective.aspectRatio = kCameraAspectRatio;
  camera.perspective.znear = 0.01;
  camera.perspective.zfar = 10000.0;  // metres; glTF cannot leave it open here
  gltf.cameras.push_back(camera);
  tinygltf::Node node;
  node.name = name;
  node.camera = static_cast<int>(gltf.cameras.size()) - 1;
  Place(node, CameraPlacement(record));
  node.extras = std::move(extras);
  return AddNode(gltf, std::move(node));
}

}  // namespace orvex_bridge
