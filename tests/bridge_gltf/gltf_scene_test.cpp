// Lights and cameras as glTF: the group tree, point and spot lights through
// KHR_lights_punctual, linear and rectangular lights as nodes with their sizes, scenes and the
// last camera as perspective cameras.

#include "standin/bridge/gltf_scene.h"

#include <gtest/gtest.h>

#include "tests/bridge_gltf/writer_support.h"

namespace orvex_bridge_test {
namespace {

using gltf_test::Turn;
using gltf_test::Vec3;
using nlohmann::json;
using orvex_bridge::LightKind;
using orvex_bridge::LightRecord;

LightRecord Light(const std::string& name, LightKind kind, const std::string& group,
                  const std::array<double, 16>& rows) {
  LightRecord light;
  light.id = name + "-id";
  light.name = name;
  light.groupId = group;
  light.kind = kind;
  light.transform = rows;
  light.brightness = 40;
  return light;
}

void ExpectNear(const Vec3& actual, const Vec3& expected) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-9) << "component " << i;
}

TEST(GltfLights, GroupsHoldTheirLightsAndEachKindHasItsForm) {
  orvex_bridge::LightDescription description;
  description.groups = {{"0", "", "house.3dm"},
                        {"L1", "0", "Lights"},
                        {"L2", "0", "Garden"},
                        {"L3", "L3", "Self"},
                        {"L1", "0", "Again"}};
  // Rhino positions in cm, sent with X and Y exchanged.
  description.lights = {
      Light("Bulb", LightKind::kPoint, "L1",
            {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 200, 300, 270, 1}),
      Light("Spot", LightKind::kSpot, "L2", {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 100, 0, 50, 1}),
      Light("Panel", LightKind::kRectangular, "nowhere",
            {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 150, 250, 279, 1}),
      Light("Tube", LightKind::kLinear, "L1", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})};
  description.lights[2].sizeX = 60;
  description.lights[2].sizeY = 100;
  description.lights[3].sizeX = 0;
  description.lights[3].sizeY = 120;
  orvex_bridge::RendererContent content;
  content.lights = description;
  const Written written = WriteAndRead(content);
  const gltf_test::GltfFile& gltf = *written.gltf;

  const int root = gltf.NodeNamed("house.3dm");
  const int lights = gltf.NodeNamed("Lights");
  EXPECT_EQ(gltf.Children(root),
            (std::vector<int>{lights, gltf.NodeNamed("Garden"), gltf.NodeNamed("Again")}));
  EXPECT_EQ(gltf.Children(lights),
            (std::vector<int>{gltf.NodeNamed("Bulb"), gltf.NodeNamed("Tube")}));
  EXPECT_EQ(gltf.Node(lights)["extras"]["lightGroup"], "L1");
  // A group that names itself as parent, and a light of an unknown group, stand at the top.
  const json& top = gltf.json()["scenes"][0]["nodes"];
  EXPECT_EQ(top, json({root, gltf.NodeNamed("Self"), gltf.NodeNamed("Panel")}));

  const json& punctual = gltf.json()["extensions"]["KHR_lights_punctual"]["lights"];
  ASSERT_EQ(punctual.size(), 2u);
  EXPECT_EQ(punctual[0]["type"], "point");
  EXPECT_EQ(punctual[0]["intensity"], 40.0);
  EXPECT_EQ(punctual[0]["color"], json({1.0, 1.0, 1.0}));
  EXPECT_EQ(punctual[1]["type"], "spot");
  EXPECT_EQ(gltf.Node(gltf.NodeNamed("Spot"))["extensions"]["KHR_lights_punctual"]["light"], 1);

  // Rhino (3, 2, 2.7) m is glTF (3, 2.7, -2).
  ExpectNear(gltf_test::Apply(gltf.World(gltf.NodeNamed("Bulb")), {0, 0, 0}), {3, 2.7, -2});
  // The spot faces Rhino +X from Rhino (0, 1, 0.5) m.
  const gltf_test::Mat4 spot = gltf.World(gltf.NodeNamed("Spot"));
  ExpectNear(gltf_test::Apply(spot, {0, 0, 0}), {0, 0.5, -1});
  ExpectNear(Turn(spot, {0, 0, -1}), {1, 0, 0});

  const json& panel = gltf.Node(gltf.NodeNamed("Panel"));
  EXPECT_FALSE(panel.contains("extensions"));
  EXPECT_EQ(panel["extras"]["kind"], "rectangular");
  EXPECT_EQ(panel["extras"]["sizeX"], 0.6);
  EXPECT_EQ(panel["extras"]["sizeY"], 1.0);
  EXPECT_EQ(panel["extras"]["id"], "Panel-id");
  // Facing down, its size X along the light's local x, Rhino's Y here.
  const gltf_test::Mat4 panelWorld = gltf.World(gltf.NodeNamed("Panel"));
  ExpectNear(Turn(panelWorld, {0, 0, -1}), {0, -1, 0});
  ExpectNear(Turn(panelWorld, {1, 0, 0}), {0, 0, -1});
  EXPECT_EQ(gltf.Node(gltf.NodeNamed("Tube"))["extras"]["kind"], "linear");
}

TEST(GltfCameras, ScenesAndTheLastCameraArePerspectiveCameras) {
  orvex_bridge::RendererContent content;
  content.scenes = {{"id-1", "Entrance", {600, 300, 160, -1, 0, 0, 0, 0, 1}, 50.0f},
                    {"id-2", "Plan", {200, 300, 9000, 0, 0, -1, 1, 0, 0}, 5.0f}};
  content.camera = orvex_bridge::Camera{{0, 0, 100, 1, 0, 0, 0, 0, 1}, 0.0f};
  const Written written = WriteAndRead(content);
  const gltf_test::GltfFile& gltf = *written.gltf;
  const json& cameras = gltf.json()["cameras"];
  ASSERT_EQ(cameras.size(), 3u);
  const int entrance = gltf.NodeNamed("Entrance");
  EXPECT_EQ(gltf.Node(entrance)["extras"]["id"], "id-1");
  EXPECT_EQ(gltf.Node(entrance)["extras"]["fov"], 50.0);
  const json& perspective = cameras[gltf.Node(entrance)["camera"].get<int>()]["perspective"];
  // 50 degrees across a 16:9 frame: 2 atan(tan(25 deg) * 9 / 16) vertically.
  EXPECT_NEAR(perspective["yfov"].get<double>(), 0.5130387937, 1e-9);
  EXPECT_NEAR(perspective["aspectRatio"].get<double>(), 16.0 / 9.0, 1e-12);
  // Rhino (3, 6, 1.6) m looking along Rhino -Y.
  const gltf_test::Mat4 world = gltf.World(entrance);
  ExpectNear(gltf_test::Apply(world, {0, 0, 0}), {3, 1.6, -6});
  ExpectNear(Turn(world, {0, 0, -1}), {0, 0, 1});
  ExpectNear(Turn(world, {0, 1, 0}), {0, 1, 0});

  // A field of view glTF cannot hold counts as 45 degrees.
  const json& last = cameras[gltf.Node(gltf.NodeNamed("camera"))["camera"].get<int>()];
  EXPECT_NEAR(last["perspective"]["yfov"].get<double>(), orvex_bridge::VerticalFieldOfView(45),
              1e-15);
  EXPECT_EQ(gltf.json()["scenes"][0]["nodes"].size(), 3u);
}

}  // namespace
}  // namespace orvex_bridge_test
