// Reading material records back: every value by its element, texture references in record
// order, escaped texts, and what happens to values and records that do not read.

#include "standin/bridge/record_reader.h"

#include <gtest/gtest.h>

namespace orvex_bridge {
namespace {

// The physically based record of a material named Red: base colour (1, 0, 0), opacity 1,
// roughness 0.5, metallic 0, specular 0.5 (sent as a third), opacity IOR 1.5, no textures.
const char* kRedRecord =
    "<Material><Name>Red</Name><Type>Custom</Type><Opacity>1.000000</Opacity>"
    "<DiffuseColor>#FF0000</DiffuseColor><EmissiveColor>#000000</EmissiveColor>"
    "<EmissiveStrength>0.0</EmissiveStrength><TintColor>#FFFFFF</TintColor>"
    "<Roughness>0.500000</Roughness><BumpAmount>1.0</BumpAmount><Metallic>0.000000</Metallic>"
    "<Specular>0.166667</Specular><IndexOfRefraction>1.500000</IndexOfRefraction>"
    "<IsSolidGlass>false</IsSolidGlass><TextureWidth>1.0</TextureWidth>"
    "<TextureHeight>1.0</TextureHeight></Material>";

TEST(ReadMaterialRecord, ReadsEveryValueOfAWholeRecord) {
  std::string error;
  const auto record = ReadMaterialRecord(kRedRecord, error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->name, "Red");
  EXPECT_EQ(record->opacity, 1.0);
  EXPECT_EQ(record->diffuse, (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(record->emissive, (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(record->emissiveStrength, 0.0);
  EXPECT_EQ(record->roughness, 0.5);
  EXPECT_EQ(record->bumpAmount, 1.0);
  EXPECT_EQ(record->metallic, 0.0);
  EXPECT_EQ(record->specular, 0.166667);
  EXPECT_EQ(record->indexOfRefraction, 1.5);
  EXPECT_TRUE(record->textures.empty());
}

TEST(ReadMaterialRecord, ReadsTexturesInRecordOrderAndUnescapesTexts) {
  const std::string xml =
      "<Material><Name>Fish &amp; Chips &lt;1&gt;</Name><Opacity>0.250000</Opacity>"
      "<DiffuseColor>#0a80fF</DiffuseColor><EmissiveColor>#102030</EmissiveColor>"
      "<EmissiveStrength>10000.0</EmissiveStrength><BumpAmount>3.000000</BumpAmount>"
      "<BumpTexture><Filepath>D:\\maps\\bump.png</Filepath><Brightness>0.300000</Brightness>"
      "<UseExplicitTransformation>false</UseExplicitTransformation></BumpTexture>"
      "<DiffuseTexture><Filepath>/srv/a&amp;b.png</Filepath><Brightness>1.000000</Brightness>"
      "<UseExplicitTransformation>true</UseExplicitTransformation><Width>0.500000</Width>"
      "<Height>0.250000</Height><Rotation>270.000000</Rotation><U_Offset>0.000000</U_Offset>"
      "<V_Offset>0.000000</V_Offset></DiffuseTexture>"
      "<MaskTexture><Filepath>mask.jpg</Filepath><Brightness>1.0</Brightness>"
      "<UseExplicitTransformation>false</UseExplicitTransformation></MaskTexture></Material>";
  std::string error;
  const auto record = ReadMaterialRecord(xml, error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->name, "Fish & Chips <1>");
  EXPECT_EQ(record->opacity, 0.25);
  EXPECT_EQ(record->diffuse, (std::array<int, 3>{10, 128, 255}));
  EXPECT_EQ(record->emissive, (std::array<int, 3>{16, 32, 48}));
  EXPECT_EQ(record->emissiveStrength, 10000.0);
  EXPECT_EQ(record->bumpAmount, 3.0);
  ASSERT_EQ(record->textures.size(), 3u);
  EXPECT_EQ(record->textures[0].role, "BumpTexture");
  EXPECT_EQ(record->textures[0].path, "D:\\maps\\bump.png");
  EXPECT_EQ(record->textures[0].brightness, 0.3);
  EXPECT_FALSE(record->textures[0].explicitTransform);
  const TextureRecord& diffuse = record->textures[1];
  EXPECT_EQ(diffuse.role, "DiffuseTexture");
  EXPECT_EQ(diffuse.path, "/srv/a&b.png");
  EXPECT_TRUE(diffuse.explicitTransform);
  EXPECT_EQ(diffuse.width, 0.5);
  EXPECT_EQ(diffuse.height, 0.25);
  EXPECT_EQ(diffuse.rotationDegrees, 270.0);
  EXPECT_EQ(record->textures[2].role, "MaskTexture");
  EXPECT_EQ(record->textures[2].path, "mask.jpg");
}

TEST(ReadMaterialRecord, ValuesThatDoNotReadKeepTheirDefaults) {
  const std::string xml =
      "<Material><Opacity>nan</Opacity><DiffuseColor>#12345</DiffuseColor>"
      "<EmissiveColor>#GG0000</EmissiveColor><Metallic>0.5 </Metallic>"
      "<IndexOfRefraction>inf</IndexOfRefraction>"
      "<DiffuseTexture><Filepath>x.png</Filepath><Width>2.0</Width></DiffuseTexture>"
      "<GlowTexture><Filepath>y.png</Filepath></GlowTexture></Material>";
  std::string error;
  const auto record = ReadMaterialRecord(xml, error);
  ASSERT_TRUE(record) << error;
  const MaterialRecord defaults;
  EXPECT_EQ(record->name, "");
  EXPECT_EQ(record->opacity, defaults.opacity);
  EXPECT_EQ(record->diffuse, defaults.diffuse);
  EXPECT_EQ(record->emissive, defaults.emissive);
  EXPECT_EQ(record->metallic, defaults.metallic);
  EXPECT_EQ(record->indexOfRefraction, defaults.indexOfRefraction);
  EXPECT_EQ(record->roughness, defaults.roughness);  // missing altogether
  // The width of a texture without an explicit transform is not read; unknown roles are skipped.
  ASSERT_EQ(record->textures.size(), 1u);
  EXPECT_FALSE(record->textures[0].explicitTransform);
  EXPECT_EQ(record->textures[0].width, 1.0);
}

TEST(ReadMaterialRecord, TextsThatAreNotMaterialRecordsGiveNoneWithTheReason) {
  std::string error;
  // A raw "<", as a record built without escaping would carry it.
  EXPECT_FALSE(ReadMaterialRecord("<Material><Name>A < B</Name></Material>", error));
  EXPECT_NE(error.find(" at offset "), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(ReadMaterialRecord("<Material><Name>cut", error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(ReadMaterialRecord("", error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(ReadMaterialRecord("<Root><Name>x</Name></Root>", error));
  EXPECT_EQ(error, "the root element is <Root>, not <Material>");
}

TEST(RecordTexts, ColoursAndNumbers) {
  EXPECT_EQ(ColourFromText("#0aFf10"), (std::array<int, 3>{10, 255, 16}));
  EXPECT_EQ(ColourFromText("#000000"), (std::array<int, 3>{0, 0, 0}));
  EXPECT_FALSE(ColourFromText("0aFf10"));
  EXPECT_FALSE(ColourFromText("#0aFf1"));
  EXPECT_FALSE(ColourFromText("#0aFf10A"));
  EXPECT_FALSE(ColourFromText("#0aFx10"));

  EXPECT_EQ(NumberFromText("1.0"), 1.0);
  EXPECT_EQ(NumberFromText("-0.250000"), -0.25);
  EXPECT_EQ(NumberFromText("10000.0"), 10000.0);
  EXPECT_FALSE(NumberFromText(""));
  EXPECT_FALSE(NumberFromText("1.0x"));
  EXPECT_FALSE(NumberFromText("-nan"));
  EXPECT_FALSE(NumberFromText("inf"));
}

}  // namespace
}  // namespace orvex_bridge
