#include "material/material_conversion.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/material/test_support.h"

namespace material {
namespace {

using test::ElementCount;
using test::ElementText;
using test::MakeTexture;
using Type = ON_Texture::TYPE;

const wchar_t kRedRecord[] =
    L"<Material><Name>Red</Name><Type>Custom</Type><Opacity>1.000000</Opacity>"
    L"<DiffuseColor>#FF0000</DiffuseColor><EmissiveColor>#000000</EmissiveColor>"
    L"<EmissiveStrength>0.0</EmissiveStrength><TintColor>#FFFFFF</TintColor>"
    L"<Roughness>0.500000</Roughness><BumpAmount>1.0</BumpAmount><Metallic>0.000000</Metallic>"
    L"<Specular>0.166667</Specular><IndexOfRefraction>1.500000</IndexOfRefraction>"
    L"<IsSolidGlass>false</IsSolidGlass><TextureWidth>1.0</TextureWidth>"
    L"<TextureHeight>1.0</TextureHeight></Material>";

ON_Material RedPhysicallyBased() {
  ON_Material m;
  m.SetName(L"Red");
  // The plain values must not leak into the physically based record.
  m.m_diffuse = ON_Color(0, 255, 0);
  m.m_transparency = 0.7;
  m.m_shine = 0.9;
  m.m_index_of_refraction = 2.4;
  m.ToPhysicallyBased();
  const std::shared_ptr<ON_PhysicallyBasedMaterial> pbr = m.PhysicallyBased();
  pbr->SetBaseColor(ON_4fColor(1, 0, 0, 1));
  pbr->SetEmission(ON_4fColor(0, 0, 0, 1));
  pbr->SetOpacity(1.0);
  pbr->SetRoughness(0.5);
  pbr->SetMetallic(0.0);
  pbr->SetSpecular(0.5);
  pbr->SetOpacityIOR(1.5);
  return m;
}

// A plain material whose every source value is distinct, so that a value read
// from the wrong host property shows.
ON_Material Wood() {
  ON_Material m;
  m.SetName(L"Wood");
  m.m_diffuse = ON_Color(150, 100, 50);
  m.m_emission = ON_Color(0, 0, 0);
  m.m_transparency = 0.0;
  m.m_reflectivity = 0.3;
  m.SetFresnelReflections(false);
  m.m_shine = 0.25;
  m.m_index_of_refraction = 1.52;
  m.m_reflection_glossiness = 0.61;
  m.m_fresnel_index_of_refraction = 1.77;
  return m;
}

TEST(PhysicallyBasedConversionTest, RedRecordExactly) {
  EXPECT_EQ(PhysicallyBasedMaterialRecord(RedPhysicallyBased()), kRedRecord);
}

TEST(PhysicallyBasedConversionTest, RedWithBumpTextureExactly) {
  ON_Material m = RedPhysicallyBased();
  m.m_textures.Append(MakeTexture(Type::bump_texture, L"D:\\maps\\bump.png", 0.3));
  std::wstring expected(kRedRecord);
  expected.replace(expected.find(L"<BumpAmount>1.0<"), 16, L"<BumpAmount>3.000000<");
  expected.replace(expected.find(L"</Material>"), 11,
                   L"<BumpTexture><Filepath>D:\\maps\\bump.png</Filepath>"
                   L"<Brightness>0.300000</Brightness>"
                   L"<UseExplicitTransformation>false</UseExplicitTransformation>"
                   L"</BumpTexture></Material>");
  EXPECT_EQ(PhysicallyBasedMaterialRecord(m), expected);
  EXPECT_NE(expected.find(L"<BumpAmount>3.000000</BumpAmount>"), std::wstring::npos);
}

TEST(PhysicallyBasedConversionTest, ValuesComeFromThePhysicallyBasedView) {
  ON_Material m = RedPhysicallyBased();
  const std::shared_ptr<ON_PhysicallyBasedMaterial> pbr = m.PhysicallyBased();
  pbr->SetBaseColor(ON_4fColor(0.5f, 0.75f, 0.002f, 0.2f));
  pbr->SetOpacity(0.25);
  pbr->SetRoughness(0.125);
  pbr->SetMetallic(0.8);
  pbr->SetSpecular(0.9);
  pbr->SetOpacityIOR(1.33);
  const std::wstring record = PhysicallyBasedMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"Opacity"), L"0.250000");
  EXPECT_EQ(ElementText(record, L"DiffuseColor"), L"#80BF01");
  EXPECT_EQ(ElementText(record, L"Roughness"), L"0.125000");
  EXPECT_EQ(ElementText(record, L"Metallic"), L"0.800000");
  EXPECT_EQ(ElementText(record, L"Specular"), L"0.300000");
  EXPECT_EQ(ElementText(record, L"IndexOfRefraction"), L"1.330000");
}

TEST(PhysicallyBasedConversionTest, EmissionStrengthFollowsTheColourText) {
  ON_Material m = RedPhysicallyBased();
  m.PhysicallyBased()->SetEmission(ON_4fColor(0.001f, 0.0f, 0.0f, 1.0f));
  std::wstring record = PhysicallyBasedMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"EmissiveColor"), L"#000000");
  EXPECT_EQ(ElementText(record, L"EmissiveStrength"), L"0.0");

  m.PhysicallyBased()->SetEmission(ON_4fColor(0.002f, 0.0f, 0.0f, 1.0f));
  record = PhysicallyBasedMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"EmissiveColor"), L"#010000");
  EXPECT_EQ(ElementText(record, L"EmissiveStrength"), L"10000.0");

  // Emission alpha plays no part.
  m.PhysicallyBased()->SetEmission(ON_4fColor(0.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(ElementText(PhysicallyBasedMaterialRecord(m), L"EmissiveStrength"), L"0.0");
}

TEST(PhysicallyBasedConversionTest, AllSixTextureRolesInListOrderOthersLeftOut) {
  ON_Material m = RedPhysicallyBased();
  m.m_textures.Append(MakeTexture(16u, L"r.png"));
  m.m_textures.Append(MakeTexture(15u, L"tint.png"));
  m.m_textures.Append(MakeTexture(14u, L"s.png"));
  m.m_textures.Append(MakeTexture(4u, L"four.png"));
  m.m_textures.Append(MakeTexture(13u, L"m.png"));
  m.m_textures.Append(MakeTexture(86u, L"env.png"));
  m.m_textures.Append(MakeTexture(3u, L"t.png"));
  m.m_textures.Append(MakeTexture(2u, L"b.png", 0.5));
  m.m_textures.Append(MakeTexture(1u, L"d.png"));
  m.m_textures.Append(MakeTexture(0u, L"none.png"));
  const std::wstring record = PhysicallyBasedMaterialRecord(m);
  const std::wstring tail = record.substr(record.find(L"</TextureHeight>") + 16);
  const auto block = [](const wchar_t* path) {
    return std::wstring(L"<Filepath>") + path +
           L"</Filepath><Brightness>1.000000</Brightness>"
           L"<UseExplicitTransformation>false</UseExplicitTransformation>";
  };
  EXPECT_EQ(tail, L"<RoughnessTexture>" + block(L"r.png") + L"</RoughnessTexture>" +
                      L"<SpecularTexture>" + block(L"s.png") + L"</SpecularTexture>" +
                      L"<MetalTexture>" + block(L"m.png") + L"</MetalTexture>" + L"<MaskTexture>" +
                      block(L"t.png") + L"</MaskTexture>" +
                      L"<BumpTexture><Filepath>b.png</Filepath><Brightness>0.500000</Brightness>"
                      L"<UseExplicitTransformation>false</UseExplicitTransformation>"
                      L"</BumpTexture>" +
                      L"<DiffuseTexture>" + block(L"d.png") + L"</DiffuseTexture></Material>");
  EXPECT_EQ(ElementText(record, L"BumpAmount"), L"5.000000");
  EXPECT_EQ(ElementText(record, L"Opacity"), L"0.0");
}

TEST(BasicConversionTest, WoodRecordExactly) {
  EXPECT_EQ(BasicMaterialRecord(Wood()),
            L"<Material><Name>Wood</Name><Type>Custom</Type><Opacity>1.0</Opacity>"
            L"<DiffuseColor>#966432</DiffuseColor><EmissiveColor>#000000</EmissiveColor>"
            L"<EmissiveStrength>0.0</EmissiveStrength><TintColor>#FFFFFF</TintColor>"
            L"<Roughness>0.250000</Roughness><BumpAmount>1.0</BumpAmount>"
            L"<Metallic>0.300000</Metallic><Specular>0.0</Specular>"
            L"<IndexOfRefraction>1.520000</IndexOfRefraction><IsSolidGlass>false</IsSolidGlass>"
            L"<TextureWidth>1.0</TextureWidth><TextureHeight>1.0</TextureHeight></Material>");
}

TEST(BasicConversionTest, OpacityFromTransparency) {
  struct Case {
    double transparency;
    const wchar_t* opacity;
  };
  const Case cases[] = {{0.0, L"1.0"},  {0.25, L"0.750000"}, {1.0, L"0.000000"},
                        {-0.0, L"1.0"}, {1e-9, L"1.000000"}, {0.5, L"0.500000"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "transparency " << c.transparency);
    ON_Material m = Wood();
    m.m_transparency = c.transparency;
    EXPECT_EQ(ElementText(BasicMaterialRecord(m), L"Opacity"), c.opacity);
  }
}

TEST(BasicConversionTest, ReflectivityIsSpecularWithFresnelAndMetallicWithout) {
  ON_Material m = Wood();
  m.m_reflectivity = 0.3;
  m.SetFresnelReflections(true);
  std::wstring record = BasicMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"Specular"), L"0.300000");
  EXPECT_EQ(ElementText(record, L"Metallic"), L"0.0");

  m.SetFresnelReflections(false);
  record = BasicMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"Metallic"), L"0.300000");
  EXPECT_EQ(ElementText(record, L"Specular"), L"0.0");
}

TEST(BasicConversionTest, EmissionStrengthComparesWholePackedColour) {
  ON_Material m = Wood();
  m.m_emission = ON_Color(0, 0, 0, 0);
  EXPECT_EQ(ElementText(BasicMaterialRecord(m), L"EmissiveStrength"), L"0.0");

  // The host hands the emission out without its alpha byte: black whatever it holds.
  m.m_emission = ON_Color(0, 0, 0, 128);
  std::wstring record = BasicMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"EmissiveColor"), L"#000000");
  EXPECT_EQ(ElementText(record, L"EmissiveStrength"), L"0.0");

  m.m_emission = ON_Color(255, 128, 0);
  record = BasicMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"EmissiveColor"), L"#FF8000");
  EXPECT_EQ(ElementText(record, L"EmissiveStrength"), L"10000.0");
}

TEST(BasicConversionTest, PhysicallyBasedRolesAreLeftOut) {
  ON_Material m = Wood();
  m.m_textures.Append(MakeTexture(13u, L"m.png"));
  m.m_textures.Append(MakeTexture(1u, L"d.png"));
  m.m_textures.Append(MakeTexture(14u, L"s.png"));
  m.m_textures.Append(MakeTexture(16u, L"r.png"));
  m.m_textures.Append(MakeTexture(15u, L"tint.png"));
  const std::wstring record = BasicMaterialRecord(m);
  EXPECT_EQ(ElementCount(record, L"DiffuseTexture"), 1);
  EXPECT_EQ(ElementCount(record, L"MetalTexture"), 0);
  EXPECT_EQ(ElementCount(record, L"SpecularTexture"), 0);
  EXPECT_EQ(ElementCount(record, L"RoughnessTexture"), 0);
  EXPECT_EQ(ElementCount(record, L"Filepath"), 1);
  EXPECT_EQ(ElementText(record, L"Filepath"), L"d.png");
}

TEST(TexturePassTest, BumpWithoutImageStillSetsTheAmount) {
  for (const bool pbr : {false, true}) {
    SCOPED_TRACE(pbr ? "physically based" : "basic");
    ON_Material m = pbr ? RedPhysicallyBased() : Wood();
    m.m_textures.Append(MakeTexture(Type::bump_texture, L"", 0.3));
    const std::wstring record = MaterialRecordOf(m);
    EXPECT_EQ(ElementText(record, L"BumpAmount"), L"3.000000");
    EXPECT_EQ(ElementCount(record, L"BumpTexture"), 0);
    EXPECT_EQ(record.substr(record.size() - 27), L"</TextureHeight></Material>");
  }
}

TEST(TexturePassTest, LastSwitchedOnBumpSetsTheAmount) {
  ON_Material m = Wood();
  m.m_textures.Append(MakeTexture(Type::bump_texture, L"a.png", 0.3));
  m.m_textures.Append(MakeTexture(Type::bump_texture, L"b.png", 0.05));
  m.m_textures.Append(MakeTexture(Type::bump_texture, L"c.png", 0.9, false));
  const std::wstring record = BasicMaterialRecord(m);
  EXPECT_EQ(ElementText(record, L"BumpAmount"), L"0.500000");
  EXPECT_EQ(ElementCount(record, L"BumpTexture"), 2);
  EXPECT_EQ(record.find(L"c.png"), std::wstring::npos);
}

TEST(TexturePassTest, MaskTextureMakesOpacityLiteralZero) {
  ON_Material basic = Wood();
  basic.m_transparency = 0.25;
  basic.m_textures.Append(MakeTexture(Type::transparency_texture, L"mask.png", 0.4));
  std::wstring record = BasicMaterialRecord(basic);
  EXPECT_EQ(ElementText(record, L"Opacity"), L"0.0");
  EXPECT_EQ(ElementText(record, L"MaskTexture"),
            L"<Filepath>mask.png</Filepath><Brightness>0.400000</Brightness>"
            L"<UseExplicitTransformation>false</UseExplicitTransformation>");

  ON_Material pbr = RedPhysicallyBased();
  pbr.PhysicallyBased()->SetOpacity(1.0);
  pbr.m_textures.Append(MakeTexture(Type::transparency_texture, L"mask.png"));
  record = PhysicallyBasedMaterialRecord(pbr);
  EXPECT_EQ(ElementText(record, L"Opacity"), L"0.0");
  EXPECT_EQ(ElementCount(record, L"MaskTexture"), 1);
}

TEST(TexturePassTest, MaskTextureWithoutImageChangesNothing) {
  ON_Material m = Wood();
  m.m_transparency = 0.25;
  const std::wstring plain = BasicMaterialRecord(m);
  m.m_textures.Append(MakeTexture(Type::transparency_texture, L"", 0.4));
  EXPECT_EQ(BasicMaterialRecord(m), plain);
  EXPECT_EQ(ElementText(plain, L"Opacity"), L"0.750000");
}

TEST(TexturePassTest, TwoDiffuseTexturesInListOrder) {
  ON_Material m = Wood();
  m.m_textures.Append(MakeTexture(Type::bitmap_texture, L"second-in-name.png", 0.2));
  ON_Texture scaled = MakeTexture(Type::bitmap_texture, L"first-in-name.png", 0.8);
  scaled.m_uvw = ON_Xform::DiagonalTransformation(2.0);
  m.m_textures.Append(scaled);
  const std::wstring record = BasicMaterialRecord(m);
  EXPECT_EQ(record.substr(record.find(L"</TextureHeight>") + 16),
            L"<DiffuseTexture><Filepath>second-in-name.png</Filepath>"
            L"<Brightness>0.200000</Brightness>"
            L"<UseExplicitTransformation>false</UseExplicitTransformation></DiffuseTexture>"
            L"<DiffuseTexture><Filepath>first-in-name.png</Filepath>"
            L"<Brightness>0.800000</Brightness>"
            L"<UseExplicitTransformation>true</UseExplicitTransformation>"
            L"<Width>0.500000</Width><Height>0.500000</Height><Rotation>0.000000</Rotation>"
            L"<U_Offset>0.000000</U_Offset><V_Offset>0.000000</V_Offset></DiffuseTexture>"
            L"</Material>");
}

TEST(TexturePassTest, SwitchedOffTexturesAffectNothing) {
  for (const bool pbr : {false, true}) {
    SCOPED_TRACE(pbr ? "physically based" : "basic");
    ON_Material m = pbr ? RedPhysicallyBased() : Wood();
    const std::wstring plain = MaterialRecordOf(m);
    for (const unsigned int code : {1u, 2u, 3u, 13u, 14u, 16u}) {
      ON_Texture t = MakeTexture(code, L"off.png", 0.7);
      t.m_bOn = false;
      m.m_textures.Append(t);
    }
    m.m_textures.Append(MakeTexture(Type::bump_texture, L"", 0.3, false));
    EXPECT_EQ(MaterialRecordOf(m), plain);
  }
}

TEST(MaterialRecordOfTest, ChoosesTheConversionByThePhysicallyBasedTest) {
  const ON_Material red = RedPhysicallyBased();
  EXPECT_EQ(MaterialRecordOf(red), kRedRecord);
  const ON_Material wood = Wood();
  EXPECT_EQ(MaterialRecordOf(wood), BasicMaterialRecord(wood));
  // The plain values of the Red material give a different record.
  EXPECT_NE(BasicMaterialRecord(red), kRedRecord);
}

TEST(MaterialRecordOfTest, PhysicallyBasedConversionWithoutViewFallsBackToBasic) {
  const ON_Material wood = Wood();
  ASSERT_FALSE(wood.IsPhysicallyBased());
  EXPECT_EQ(PhysicallyBasedMaterialRecord(wood), BasicMaterialRecord(wood));
}

}  // namespace
}  // namespace material
