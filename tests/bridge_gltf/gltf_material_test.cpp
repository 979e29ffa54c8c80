// Materials as glTF: colours (linear factors from the record's sRGB bytes), opacity and blend
// mode, limited roughness and metallic, emission with its strength, the index of refraction,
// the diffuse texture with its transform, records that do not parse, keys without a record.

#include "standin/bridge/gltf_material.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/bridge_gltf/writer_support.h"

namespace orvex_bridge_test {
namespace {

using nlohmann::json;

constexpr double kPi = 3.14159265358979323846;

std::string Record(const std::string& name, const std::string& inner) {
  return "<Material><Name>" + name + "</Name><Type>Custom</Type>" + inner + "</Material>";
}

// One element whose instances of one triangle wear the keys given, in order.
Model ModelWearing(const std::vector<std::string>& keys) {
  Model model;
  Mesh triangle;
  triangle.name = "0";
  triangle.positions = {0, 0, 0, 10, 0, 0, 0, 10, 0};
  triangle.uvs = {0, 0, 1, 0, 0, -1};
  triangle.indices = {0, 1, 2};
  AddMesh(model, triangle);
  std::vector<Instance> instances;
  for (const std::string& key : keys) instances.push_back({"0", key, kIdentity});
  AddElement(model, "e", instances);
  return model;
}

// The material of each instance of element e, in order.
std::vector<json> MaterialsInOrder(const gltf_test::GltfFile& gltf) {
  std::vector<json> materials;
  for (const int node : gltf.Children(gltf.NodeNamed("e"))) {
    materials.push_back(gltf.MaterialOf(node));
  }
  return materials;
}

TEST(GltfMaterial, SrgbBytesBecomeLinearFactors) {
  EXPECT_EQ(orvex_bridge::LinearFromSrgb(0), 0.0);
  EXPECT_EQ(orvex_bridge::LinearFromSrgb(255), 1.0);
  EXPECT_NEAR(orvex_bridge::LinearFromSrgb(128), 0.2158605, 1e-7);
  EXPECT_NEAR(orvex_bridge::LinearFromSrgb(10), 0.0030353, 1e-7);  // the straight part
}

TEST(GltfMaterial, ColoursOpacityAndSurfaceValues) {
  Model model = ModelWearing({"Red_0001", "Glass_0002", "Lamp_0003"});
  model.materials["Red_0001"] = Record(
      "Red",
      "<Opacity>1.0</Opacity><DiffuseColor>#FF0000</DiffuseColor><EmissiveColor>#000000"
      "</EmissiveColor><EmissiveStrength>0.0</EmissiveStrength><Roughness>20.000000</Roughness>"
      "<Metallic>0.250000</Metallic><Specular>0.166667</Specular>"
      "<IndexOfRefraction>1.520000</IndexOfRefraction>");
  model.materials["Glass_0002"] =
      Record("Glass &amp; Co",
             "<Opacity>0.500000</Opacity><DiffuseColor>#808080</DiffuseColor>"
             "<Roughness>-1.0</Roughness><Metallic>3.0</Metallic>"
             "<IndexOfRefraction>0.500000</IndexOfRefraction>");
  model.materials["Lamp_0003"] =
      Record("Lamp",
             "<DiffuseColor>#000000</DiffuseColor><EmissiveColor>#FFFFFF</EmissiveColor>"
             "<EmissiveStrength>10000.0</EmissiveStrength>");
  orvex_bridge::RendererContent content;
  content.model = model;
  const Written written = WriteAndRead(content);
  EXPECT_TRUE(written.problems.empty());
  const std::vector<json> materials = MaterialsInOrder(*written.gltf);
  ASSERT_EQ(materials.size(), 3u);

  const json& red = materials[0];
  EXPECT_EQ(red["name"], "Red_0001");
  EXPECT_EQ(red["extras"]["name"], "Red");
  EXPECT_EQ(red["pbrMetallicRoughness"]["baseColorFactor"], json({1.0, 0.0, 0.0, 1.0}));
  // 20 is beyond glTF's range; 1 is glTF's default and may be left unwritten.
  EXPECT_EQ(red["pbrMetallicRoughness"].value("roughnessFactor", 1.0), 1.0);
  EXPECT_EQ(red["extras"]["roughness"], 20.0);
  EXPECT_EQ(red["pbrMetallicRoughness"]["metallicFactor"], 0.25);
  EXPECT_EQ(red["extensions"]["KHR_materials_ior"]["ior"], 1.52);
  EXPECT_FALSE(red.contains("alphaMode"));
  EXPECT_FALSE(red.contains("emissiveFactor"));

  const json& glass = materials[1];
  EXPECT_EQ(glass["extras"]["name"], "Glass & Co");
  const json& factor = glass["pbrMetallicRoughness"]["baseColorFactor"];
  EXPECT_NEAR(factor[0].get<double>(), 0.2158605, 1e-7);
  EXPECT_EQ(factor[3], 0.5);
  EXPECT_EQ(glass["alphaMode"], "BLEND");
  EXPECT_EQ(glass["pbrMetallicRoughness"]["roughnessFactor"], 0.0);
  EXPECT_EQ(glass["pbrMetallicRoughness"].value("metallicFactor", 1.0), 1.0);
  // An index below 1 has no place in glTF.
  EXPECT_FALSE(glass.contains("extensions"));
  EXPECT_EQ(glass["extras"]["indexOfRefraction"], 0.5);

  const json& lamp = materials[2];
  EXPECT_EQ(lamp["emissiveFactor"], json({1.0, 1.0, 1.0}));
  EXPECT_EQ(lamp["extensions"]["KHR_materials_emissive_strength"]["emissiveStrength"], 10000.0);

  const json& used = written.gltf->json()["extensionsUsed"];
  EXPECT_EQ(used, json({"KHR_materials_emissive_strength", "KHR_materials_ior"}));
}

TEST(GltfMaterial, BasicMaterialsAreDielectricsAsRoughAsTheirGlossLeaves) {
  // The basic conversion writes the one of Metallic and Specular it leaves unused as "0.0".
  const struct {
    const char *key, *roughness, *metallic, *specular;
    double roughnessFactor, metallicFactor;  // glTF's: a value left out is 1
  } rows[] = {{"Plain_1", "62.869450", "1.000000", "0.0", 1 - 62.86945 / 255, 0.0},
              {"Fresnel_2", "255.000000", "0.0", "0.300000", 0.0, 0.0},
              {"Steel_3", "0.300000", "1.000000", "0.166667", 0.3, 1.0}};
  Model model = ModelWearing({rows[0].key, rows[1].key, rows[2].key});
  for (const auto& r : rows)
    model.materials[r.key] =
        Record(r.key, std::string("<Roughness>") + r.roughness + "</Roughness><Metallic>" +
                          r.metallic + "</Metallic><Specular>" + r.specular + "</Specular>");
  orvex_bridge::RendererContent content;
  content.model = model;
  const std::vector<json> materials = MaterialsInOrder(*WriteAndRead(content).gltf);
  ASSERT_EQ(materials.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const json& pbr = materials[i]["pbrMetallicRoughness"];
    EXPECT_NEAR(pbr.value("roughnessFactor", 1.0), rows[i].roughnessFactor, 1e-12) << i;
    EXPECT_EQ(pbr.value("metallicFactor", 1.0), rows[i].metallicFactor) << i;
  }
}

TEST(GltfMaterial, TheFirstUsableDiffuseTextureWithItsTransform) {
  TempDir images;
  const std::filesystem::path oak =
      std::filesystem::path(ORVEX_SOURCE_DIR) / "examples/textures/oak.png";
  std::filesystem::copy_file(oak, images.path() / "oak wood.png");
  std::ofstream(images.path() / "notes.png") << "not an image";
  Model model = ModelWearing({"Wood_0004", "Plain_0005"});
  const std::string texture =
      "<DiffuseTexture><Filepath>" + (images.path() / "missing.png").string() +
      "</Filepath><Brightness>1.0</Brightness><UseExplicitTransformation>false"
      "</UseExplicitTransformation></DiffuseTexture>"
      "<BumpTexture><Filepath>D:\\maps\\bump.png</Filepath><Brightness>0.3</Brightness>"
      "<UseExplicitTransformation>false</UseExplicitTransformation></BumpTexture>"
      "<DiffuseTexture><Filepath>" +
      (images.path() / "notes.png").string() +
      "</Filepath><Brightness>1.0</Brightness><UseExplicitTransformation>false"
      "</UseExplicitTransformation></DiffuseTexture>"
      "<DiffuseTexture><Filepath>" +
      (images.path() / "oak wood.png").string() +
      "</Filepath><Brightness>1.0</Brightness><UseExplicitTransformation>true"
      "</UseExplicitTransformation><Width>0.500000</Width><Height>0.250000</Height>"
      "<Rotation>90.000000</Rotation><U_Offset>0.000000</U_Offset><V_Offset>0.000000</V_Offset>"
      "</DiffuseTexture>";
  model.materials["Wood_0004"] =
      Record("Wood", "<Opacity>1.0</Opacity><DiffuseColor>#966E3C</DiffuseColor>" + texture);
  // The same image without a transform: one image, two textures.
  model.materials["Plain_0005"] =
      Record("Plain", "<DiffuseTexture><Filepath>" + (images.path() / "oak wood.png").string() +
                          "</Filepath><UseExplicitTransformation>false</UseExplicitTransformation>"
                          "</DiffuseTexture>");
  orvex_bridge::RendererContent content;
  content.model = model;
  const Written written = WriteAndRead(content);
  const std::vector<json> materials = MaterialsInOrder(*written.gltf);
  ASSERT_EQ(materials.size(), 2u);
  const json& wood = materials[0];
  // The image gives the colour; the diffuse colour stays in the extras.
  EXPECT_EQ(wood["pbrMetallicRoughness"].value("baseColorFactor", json({1.0, 1.0, 1.0, 1.0})),
            json({1.0, 1.0, 1.0, 1.0}));
  EXPECT_EQ(wood["extras"]["diffuseColor"], "#966E3C");
  const json& info = wood["pbrMetallicRoughness"]["baseColorTexture"];
  const json& transform = info["extensions"]["KHR_texture_transform"];
  EXPECT_EQ(transform["scale"], json({2.0, 4.0}));
  EXPECT_NEAR(transform["rotation"].get<double>(), kPi / 2, 1e-15);
  EXPECT_FALSE(transform.contains("offset"));
  // The textures that found no image are kept in the extras.
  EXPECT_EQ(wood["extras"]["textures"].size(), 3u);
  EXPECT_EQ(wood["extras"]["textures"][1]["role"], "BumpTexture");
  EXPECT_EQ(wood["extras"]["textures"][1]["path"], "D:\\maps\\bump.png");

  const json& gltf = written.gltf->json();
  ASSERT_EQ(gltf["images"].size(), 1u);
  EXPECT_EQ(gltf["images"][0]["uri"], "textures/oak_wood.png");
  EXPECT_EQ(gltf["textures"].size(), 2u);
  EXPECT_EQ(gltf["textures"][info["index"].get<int>()]["source"], 0);
  EXPECT_FALSE(materials[1]["pbrMetallicRoughness"]["baseColorTexture"].contains("extensions"));
  EXPECT_EQ(std::filesystem::file_size(written.folder->path() / "textures/oak_wood.png"),
            std::filesystem::file_size(oak));
  EXPECT_EQ(written.problems,
            (std::vector<std::string>{
                "material Wood_0004: the image " + (images.path() / "missing.png").string() +
                    " is not found",
                "material Wood_0004: the image " + (images.path() / "notes.png").string() +
                    " is neither PNG nor JPEG"}));
}

TEST(GltfMaterial, RecordsThatDoNotParseAndKeysWithoutRecords) {
  Model model = ModelWearing({"Broken_0006", "Nowhere_0007", ""});
  model.materials["Broken_0006"] = "<Material><Name>A < B</Name></Material>";
  orvex_bridge::RendererContent content;
  content.model = model;
  const Written written = WriteAndRead(content);
  const std::vector<json> materials = MaterialsInOrder(*written.gltf);
  ASSERT_EQ(materials.size(), 3u);
  // An unnamed default material that remembers its key.
  EXPECT_FALSE(materials[0].contains("name"));
  EXPECT_FALSE(materials[0].contains("pbrMetallicRoughness"));
  EXPECT_EQ(materials[0]["extras"]["key"], "Broken_0006");
  // No record at all: glTF's own default, no material.
  EXPECT_TRUE(materials[1].is_null());
  EXPECT_TRUE(materials[2].is_null());
  ASSERT_EQ(written.problems.size(), 1u);
  EXPECT_EQ(written.problems[0].rfind("the material record of key Broken_0006 does not parse (", 0),
            0u);
  EXPECT_NE(written.problems[0].find("); it is kept as an unnamed default material"),
            std::string::npos);
}

}  // namespace
}  // namespace orvex_bridge_test
