#include <assimp/GltfMaterial.h>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

#include "import_material.h"
#include "scene_fixtures.h"
#include "tests/support/file_io.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using T = ON_Texture::TYPE;
using test_support::ReadFile;
using test_support::TempDir;
using test_support::WriteFile;

const aiMaterial* FindMaterial(const aiScene& scene, const std::string& name) {
  for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
    aiString text;
    if (scene.mMaterials[i]->Get(AI_MATKEY_NAME, text) == AI_SUCCESS && name == text.C_Str())
      return scene.mMaterials[i];
  }
  return nullptr;
}

struct FileMaterial {
  std::unique_ptr<CRhRdkMaterial> content;
  const ON_Material& Material() const { return content->m_material; }
};

// Reads a package model and converts its material of that name.
FileMaterial ConvertFromFile(const std::string& relative, const std::string& name) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(ModelPath(relative), 0);
  EXPECT_NE(scene, nullptr) << importer.GetErrorString();
  if (!scene) return {};
  const aiMaterial* material = FindMaterial(*scene, name);
  EXPECT_NE(material, nullptr) << name;
  if (!material) return {};
  TextureFiles files(*scene, fs::path(ModelPath(relative)).parent_path(), "/nonexistent");
  return {MaterialFromAssimp(*material, 0, files)};
}

std::wstring W(const fs::path& p) { return p.wstring(); }

// (u, v) through a uvw transform.
std::pair<double, double> Map(const ON_Xform& x, double u, double v) {
  const ON_3dPoint p = x * ON_3dPoint(u, v, 0);
  return {p.x, p.y};
}

}  // namespace

TEST(TextureXformTest, IdentityAndScale) {
  EXPECT_TRUE(TextureXform(aiUVTransform()).IsIdentity(1e-15));
  aiUVTransform scale;
  scale.mScaling = aiVector2D(2, 3);
  const ON_Xform x = TextureXform(scale);
  EXPECT_EQ(Map(x, 1, 1), std::make_pair(2.0, 3.0));
  EXPECT_EQ(x.m_xform[0][1], 0.0);
  EXPECT_EQ(x.m_xform[1][0], 0.0);
}

// The glTF transform (offset o, rotation r, scale s on texture coordinates
// whose v runs downwards) in assimp's coordinates, whose v runs upwards.
std::pair<double, double> KhrTransform(double u, double v, double ou, double ov, double r,
                                       double s) {
  const double vg = 1.0 - v;
  const double su = s * u, sv = s * vg;
  const double tu = std::cos(r) * su + std::sin(r) * sv + ou;
  const double tv = -std::sin(r) * su + std::cos(r) * sv + ov;
  return {tu, 1.0 - tv};
}

TEST(TextureXformTest, ReproducesTheGltfTextureTransformsOfThePackage) {
  struct Case {
    const char* material;
    double ou, ov, rotation, scale;
  };
  for (const Case& c :
       {Case{"Offset U", 0.5, 0, 0, 1}, Case{"Offset V", 0, 0.5, 0, 1},
        Case{"Offset UV", 0.5, 0.5, 0, 1}, Case{"Rotation", 0, 0, 0.39269908169872414, 1},
        Case{"Scale", 0, 0, 0, 1.5}}) {
    const FileMaterial m =
        ConvertFromFile("glTF2/textureTransform/TextureTransformTest.gltf", c.material);
    ASSERT_TRUE(m.content);
    ASSERT_EQ(m.Material().m_textures.Count(), 1) << c.material;
    const ON_Xform& uvw = m.Material().m_textures[0].m_uvw;
    for (auto [u, v] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {0.3, 0.7}}) {
      const auto expected = KhrTransform(u, v, c.ou, c.ov, c.rotation, c.scale);
      const auto actual = Map(uvw, u, v);
      EXPECT_NEAR(actual.first, expected.first, 1e-6) << c.material << " " << u << "," << v;
      EXPECT_NEAR(actual.second, expected.second, 1e-6) << c.material << " " << u << "," << v;
    }
  }
}

TEST(MaterialTest, FbxPhysicalMaterialWithEveryMap) {
  const FileMaterial m = ConvertFromFile("FBX/maxPbrMaterial_metalRough.fbx", "PBR Material");
  ASSERT_TRUE(m.content);
  EXPECT_EQ(m.content->InstanceName(), ON_wString(L"PBR Material"));
  EXPECT_EQ(m.content->InstanceId(), m.Material().RdkMaterialInstanceId());
  ASSERT_TRUE(m.Material().IsPhysicallyBased());
  // The physically based view is a new object on each call: keep this one.
  const std::shared_ptr<ON_PhysicallyBasedMaterial> view = m.Material().PhysicallyBased();
  const ON_PhysicallyBasedMaterial& pbr = *view;
  EXPECT_FLOAT_EQ(pbr.BaseColor().Red(), 0.0f);
  EXPECT_FLOAT_EQ(pbr.BaseColor().Green(), 1.0f);
  EXPECT_FLOAT_EQ(pbr.BaseColor().Blue(), 1.0f);
  EXPECT_DOUBLE_EQ(pbr.Metallic(), 0.25);
  EXPECT_DOUBLE_EQ(pbr.Roughness(), 0.5);  // the material's own value, not assimp's estimate
  EXPECT_NEAR(pbr.Emission().Red(), 3.14159, 1e-5);
  EXPECT_FLOAT_EQ(pbr.Emission().Blue(), 0.0f);

  const fs::path folder = fs::path(ModelPath("FBX")) / "Textures";
  struct Expected {
    T type;
    const char* file;
  };
  const Expected expected[] = {{T::diffuse_texture, "albedo.png"},
                               {T::bump_texture, "normal.png"},
                               {T::opacity_texture, "opacity.png"},
                               {T::pbr_metallic_texture, "metalness.png"},
                               {T::pbr_roughness_texture, "roughness.png"}};
  const auto& textures = m.Material().m_textures;
  ASSERT_EQ(textures.Count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(textures[i].m_type, expected[i].type) << i;
    EXPECT_TRUE(textures[i].m_bOn);
    EXPECT_EQ(textures[i].m_image_file_reference.FullPath(),
              ON_wString(W(folder / expected[i].file).c_str()));
    EXPECT_TRUE(textures[i].m_uvw.IsIdentity(1e-12)) << i;
  }
}

TEST(MaterialTest, FbxSpecularGlossinessMaterialIsBasic) {
  const FileMaterial m = ConvertFromFile("FBX/maxPbrMaterial_specGloss.fbx", "02 - Default");
  ASSERT_TRUE(m.content);
  EXPECT_FALSE(m.Material().IsPhysicallyBased());
  EXPECT_EQ(m.Material().m_diffuse, ON_Color(0, 255, 255));
  // The basic material knows diffuse, bump and opacity maps only.
  const auto& textures = m.Material().m_textures;
  ASSERT_EQ(textures.Count(), 3);
  EXPECT_EQ(textures[0].m_type, T::diffuse_texture);
  EXPECT_EQ(textures[1].m_type, T::bump_texture);
  EXPECT_EQ(textures[2].m_type, T::opacity_texture);
}

TEST(MaterialTest, GltfAndObjMaterials) {
  const FileMaterial gltf = ConvertFromFile("glTF2/BoxTextured-glTF/BoxTextured.gltf", "Texture");
  ASSERT_TRUE(gltf.content);
  ASSERT_TRUE(gltf.Material().IsPhysicallyBased());
  EXPECT_DOUBLE_EQ(gltf.Material().PhysicallyBased()->Metallic(), 0.0);
  EXPECT_DOUBLE_EQ(gltf.Material().PhysicallyBased()->Roughness(), 1.0);
  EXPECT_DOUBLE_EQ(gltf.Material().PhysicallyBased()->Opacity(), 1.0);
  ASSERT_EQ(gltf.Material().m_textures.Count(), 1);  // base colour and diffuse name one image
  EXPECT_EQ(gltf.Material().m_textures[0].m_image_file_reference.FullPath(),
            ON_wString(W(ModelPath("glTF2/BoxTextured-glTF/CesiumLogoFlat.png")).c_str()));

  // OBJ: a basic material; the map's ".\" path is found beside the model.
  const FileMaterial obj = ConvertFromFile("OBJ/spider.obj", "Skin");
  ASSERT_TRUE(obj.content);
  EXPECT_FALSE(obj.Material().IsPhysicallyBased());
  EXPECT_EQ(obj.Material().m_diffuse, ON_Color(211, 202, 197));
  EXPECT_EQ(obj.Material().m_transparency, 0.0);
  ASSERT_EQ(obj.Material().m_textures.Count(), 1);
  EXPECT_EQ(obj.Material().m_textures[0].m_type, T::diffuse_texture);
  EXPECT_EQ(obj.Material().m_textures[0].m_image_file_reference.FullPath(),
            ON_wString(W(ModelPath("OBJ/wal67ar_small.jpg")).c_str()));
}

TEST(MaterialTest, NamesColoursAndLimits) {
  TestScene builder;
  aiMaterial& m = builder.AddMaterial("");
  const aiColor3D diffuse(1.5f, -0.2f, 0.5f);
  m.AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
  const float opacity = 0.25f, shininess = 300.0f, reflectivity = 2.0f;
  m.AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
  m.AddProperty(&shininess, 1, AI_MATKEY_SHININESS);
  m.AddProperty(&reflectivity, 1, AI_MATKEY_REFLECTIVITY);
  const auto scene = builder.Finish();
  TextureFiles files(*scene, "/models", "/nonexistent");
  const auto content = MaterialFromAssimp(*scene->mMaterials[0], 7, files);
  EXPECT_EQ(content->InstanceName(), ON_wString(L"Material 7"));
  const ON_Material& material = content->m_material;
  EXPECT_EQ(material.Name(), ON_wString(L"Material 7"));
  EXPECT_EQ(material.m_diffuse, ON_Color(255, 0, 128));
  EXPECT_DOUBLE_EQ(material.m_transparency, 0.75);
  EXPECT_DOUBLE_EQ(material.m_shine, 255.0);
  EXPECT_DOUBLE_EQ(material.m_reflectivity, 1.0);
  EXPECT_FALSE(material.IsPhysicallyBased());
  EXPECT_EQ(material.m_textures.Count(), 0);
  // Every conversion makes a new id.
  const auto again = MaterialFromAssimp(*scene->mMaterials[0], 7, files);
  EXPECT_NE(again->InstanceId(), content->InstanceId());
}

TEST(MaterialTest, MetallicFactorAloneMakesItPhysicallyBased) {
  TestScene builder;
  aiMaterial& m = builder.AddMaterial("Steel");
  const float metallic = 0.9f;
  const aiColor4D base(0.5f, 0.25f, 1.0f, 0.5f);
  m.AddProperty(&metallic, 1, AI_MATKEY_METALLIC_FACTOR);
  m.AddProperty(&base, 1, AI_MATKEY_BASE_COLOR);
  const aiString normalMap("n.png");
  m.AddProperty(&normalMap, AI_MATKEY_TEXTURE(aiTextureType_NORMALS, 0));
  const float normalScale = 0.3f;
  m.AddProperty(&normalScale, 1, AI_MATKEY_GLTF_TEXTURE_SCALE(aiTextureType_NORMALS, 0));
  const auto scene = builder.Finish();
  TextureFiles files(*scene, "/models", "/nonexistent");
  const auto content = MaterialFromAssimp(*scene->mMaterials[0], 0, files);
  const ON_Material& material = content->m_material;
  ASSERT_TRUE(material.IsPhysicallyBased());
  const auto pbr = material.PhysicallyBased();
  EXPECT_FLOAT_EQ(static_cast<float>(pbr->Metallic()), 0.9f);
  EXPECT_DOUBLE_EQ(pbr->Roughness(), 1.0);  // none given: openNURBS's default
  EXPECT_FLOAT_EQ(pbr->BaseColor().Green(), 0.25f);
  EXPECT_DOUBLE_EQ(pbr->Opacity(), 0.5);  // the base colour's alpha
  ASSERT_EQ(material.m_textures.Count(), 1);
  EXPECT_EQ(material.m_textures[0].m_type, T::bump_texture);
  EXPECT_FLOAT_EQ(static_cast<float>(material.m_textures[0].m_blend_constant_A), 0.3f);
  EXPECT_EQ(material.m_textures[0].m_image_file_reference.FullPath(), ON_wString(L"/models/n.png"));
}

TEST(TextureFilesTest, PathsAreFoundBesideTheModel) {
  TempDir scratch("orvex-import-test");
  WriteFile(scratch.path() / "tex/a.png", "a");
  WriteFile(scratch.path() / "sub/b.png", "b");
  WriteFile(scratch.path() / "c.png", "c");
  TestScene builder;
  const auto scene = builder.Finish();
  TextureFiles files(*scene, scratch.path(), scratch.path() / "embedded");
  const fs::path& root = scratch.path();
  EXPECT_EQ(files.Resolve("tex/a.png"), W(root / "tex/a.png"));
  EXPECT_EQ(files.Resolve("sub\\b.png"), W(root / "sub/b.png"));
  EXPECT_EQ(files.Resolve("./tex/../c.png"), W(root / "c.png"));
  // Paths from another machine: the file of that name beside the model, or the path as it is.
  EXPECT_EQ(files.Resolve("C:\\Users\\someone\\c.png"), W(root / "c.png"));
  EXPECT_EQ(files.Resolve("C:\\Users\\someone\\d.png"), L"C:\\Users\\someone\\d.png");
  EXPECT_EQ(files.Resolve("/elsewhere/maps/c.png"), W(root / "c.png"));
  EXPECT_EQ(files.Resolve("/elsewhere/maps/d.png"), L"/elsewhere/maps/d.png");
  EXPECT_EQ(files.Resolve("file:///elsewhere/c.png"), W(root / "c.png"));
  // A missing relative file keeps its place beside the model.
  EXPECT_EQ(files.Resolve("missing.png"), W(root / "missing.png"));
  EXPECT_EQ(files.Resolve(""), L"");
  EXPECT_FALSE(fs::exists(root / "embedded"));
}

TEST(TextureFilesTest, EmbeddedImagesAreWrittenOnce) {
  TempDir scratch("orvex-import-test");
  TestScene builder;
  const std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 1, 2, 3};
  builder.AddTexture("logo", static_cast<unsigned>(png.size()), 0, png, "png");
  // Two texels, (b, g, r, a) each.
  builder.AddTexture("", 2, 1, {1, 2, 3, 4, 5, 6, 7, 8}, "argb8888");
  builder.AddTexture("maps/Wood Grain.jpg", 3, 0, {9, 9, 9}, "jpg");
  const auto scene = builder.Finish();
  const fs::path folder = scratch.path() / "embedded";
  TextureFiles files(*scene, scratch.path(), folder);

  const std::wstring first = files.Resolve("*0");
  EXPECT_EQ(first, W(folder / "0_logo.png"));
  EXPECT_EQ(ReadFile(folder / "0_logo.png"), std::string(png.begin(), png.end()));
  fs::remove(folder / "0_logo.png");
  EXPECT_EQ(files.Resolve("*0"), first);  // known: not written again
  EXPECT_FALSE(fs::exists(folder / "0_logo.png"));

  EXPECT_EQ(files.Resolve("*1"), W(folder / "1_texture.tga"));
  const std::string tga = ReadFile(folder / "1_texture.tga");
  ASSERT_EQ(tga.size(), 18u + 8u);
  EXPECT_EQ(tga[2], 2);      // uncompressed true colour
  EXPECT_EQ(tga[12], 2);     // width
  EXPECT_EQ(tga[14], 1);     // height
  EXPECT_EQ(tga[16], 32);    // bits per pixel
  EXPECT_EQ(tga[17], 0x28);  // eight alpha bits, top row first
  EXPECT_EQ(tga.substr(18), std::string("\1\2\3\4\5\6\7\10", 8));

  // By the image's own name, as FBX files refer to them; unsafe characters become "_".
  EXPECT_EQ(files.Resolve("C:\\textures\\Wood Grain.jpg"), W(folder / "2_Wood_Grain.jpg"));
}

TEST(TextureFilesTest, AnImageThatCannotBeWrittenGivesNoTexture) {
  TempDir scratch("orvex-import-test");
  const fs::path blocker = WriteFile(scratch.path() / "blocker", "a file where a folder should be");
  TestScene builder;
  builder.AddTexture("logo.png", 3, 0, {1, 2, 3}, "png");
  aiMaterial& m = builder.AddMaterial("Logo");
  const aiString reference("*0");
  m.AddProperty(&reference, AI_MATKEY_TEXTURE(aiTextureType_DIFFUSE, 0));
  const auto scene = builder.Finish();
  TextureFiles files(*scene, scratch.path(), blocker / "embedded");
  EXPECT_EQ(files.Resolve("*0"), L"");
  const auto content = MaterialFromAssimp(*scene->mMaterials[0], 0, files);
  EXPECT_EQ(content->m_material.m_textures.Count(), 0);
}
