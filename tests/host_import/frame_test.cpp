#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <limits>

#include "import_frame.h"
#include "import_mesh.h"
#include "scene_fixtures.h"

namespace {

using U = ON::LengthUnitSystem;

ON_3dPoint Apply(const ON_Xform& x, double a, double b, double c) {
  return TransformPoint(x, ON_3dPoint(a, b, c));
}

void ExpectPoint(const ON_3dPoint& p, double x, double y, double z) {
  EXPECT_DOUBLE_EQ(p.x, x);
  EXPECT_DOUBLE_EQ(p.y, y);
  EXPECT_DOUBLE_EQ(p.z, z);
}

SceneFrame FrameOfFile(const std::string& relative, U defaultUnits = U::Millimeters) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(ModelPath(relative), 0);
  EXPECT_NE(scene, nullptr) << importer.GetErrorString();
  return scene ? FrameOfScene(ModelPath(relative), *scene, defaultUnits) : SceneFrame();
}

}  // namespace

TEST(FrameTest, YUpTurnsUpToZAndFrontToMinusY) {
  const ON_Xform x = YUpToZUp();
  ExpectPoint(Apply(x, 0, 1, 0), 0, 0, 1);   // up
  ExpectPoint(Apply(x, 0, 0, 1), 0, -1, 0);  // towards the viewer
  ExpectPoint(Apply(x, 1, 2, 3), 1, -3, 2);
  EXPECT_DOUBLE_EQ(LinearDeterminant(x), 1.0);
}

TEST(FrameTest, FbxAxesOfYUpAndZUpFilesAndRefusedSettings) {
  ON_Xform axes;
  // The usual Y-up file: up Y, front +Z, right +X.
  ASSERT_TRUE(FbxAxes(1, 1, 2, 1, 0, 1, &axes));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(axes.m_xform[i][j], YUpToZUp().m_xform[i][j]);
  // A Z-up file (front -Y) keeps its coordinates.
  ASSERT_TRUE(FbxAxes(2, 1, 1, -1, 0, 1, &axes));
  EXPECT_TRUE(axes.IsIdentity());
  // A left-handed Y-up file (front -Z) is a mirror.
  ASSERT_TRUE(FbxAxes(1, 1, 2, -1, 0, 1, &axes));
  ExpectPoint(Apply(axes, 1, 2, 3), 1, 3, 2);
  EXPECT_DOUBLE_EQ(LinearDeterminant(axes), -1.0);
  // X up, right -Z.
  ASSERT_TRUE(FbxAxes(0, 1, 1, 1, 2, -1, &axes));
  ExpectPoint(Apply(axes, 1, 2, 3), -3, -2, 1);

  EXPECT_FALSE(FbxAxes(1, 1, 1, 1, 0, 1, &axes));  // up and front the same
  EXPECT_FALSE(FbxAxes(1, 1, 2, 1, 2, 1, &axes));  // front and right the same
  EXPECT_FALSE(FbxAxes(3, 1, 2, 1, 0, 1, &axes));  // no axis 3
  EXPECT_FALSE(FbxAxes(1, 0, 2, 1, 0, 1, &axes));  // a sign of 0
  EXPECT_FALSE(FbxAxes(1, 1, 2, 2, 0, 1, &axes));  // a sign of 2
}

TEST(FrameTest, FbxUnitScaleFactors) {
  struct Case {
    double centimetres;
    U units;
  };
  for (const Case& c :
       {Case{0.0001, U::Microns}, Case{0.1, U::Millimeters}, Case{1.0, U::Centimeters},
        Case{100.0, U::Meters}, Case{100000.0, U::Kilometers}, Case{2.54, U::Inches},
        Case{30.48, U::Feet}, Case{91.44, U::Yards}, Case{160934.4, U::Miles},
        Case{2.54 * (1 + 1e-9), U::Inches}}) {
    U units = U::None;
    EXPECT_TRUE(UnitsOfFbxScale(c.centimetres, &units)) << c.centimetres;
    EXPECT_EQ(units, c.units) << c.centimetres;
  }
  U units = U::None;
  for (double odd : {500.0, 2.5, 0.0, -100.0, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()})
    EXPECT_FALSE(UnitsOfFbxScale(odd, &units)) << odd;
  EXPECT_EQ(units, U::None);
}

TEST(FrameTest, FramesOfThePackagesFormats) {
  // glTF: Y up, metres; its cameras and lights sit at their nodes.
  SceneFrame f = FrameOfFile("glTF2/BoxTextured-glTF/BoxTextured.gltf");
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 1, -3, 2);
  EXPECT_EQ(f.units, U::Meters);
  EXPECT_TRUE(f.nodePlacesCameras);

  // COLLADA: assimp has turned it Y up and applied its unit: metres.
  f = FrameOfFile("Collada/lights.dae", U::Inches);
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 1, -3, 2);
  EXPECT_EQ(f.units, U::Meters);
  EXPECT_FALSE(f.nodePlacesCameras);

  // OBJ and 3DS: Y up, the units asked for.
  f = FrameOfFile("OBJ/spider.obj", U::Feet);
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 1, -3, 2);
  EXPECT_EQ(f.units, U::Feet);
  f = FrameOfFile("3DS/fels.3ds", U::Centimeters);
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 1, -3, 2);
  EXPECT_EQ(f.units, U::Centimeters);

  // IFC: assimp has turned it Y up and brought it to metres; DXF: Y up.
  f = FrameOfFile("IFC/AC14-FZK-Haus.ifc", U::Inches);
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 1, -3, 2);
  EXPECT_EQ(f.units, U::Meters);
  f = FrameOfFile("DXF/PinkEggFromLW.dxf", U::Inches);
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 1, -3, 2);
  EXPECT_EQ(f.units, U::Inches);

  // STL, PLY and Blender files keep their axes.
  f = FrameOfFile("STL/Spider_binary.stl", U::Inches);
  EXPECT_TRUE(f.toDocument.IsIdentity());
  EXPECT_EQ(f.units, U::Inches);
  f = FrameOfFile("PLY/cube.ply");
  EXPECT_TRUE(f.toDocument.IsIdentity());
  EXPECT_EQ(f.units, U::Millimeters);
  f = FrameOfFile("BLEND/AreaLight_269.blend");
  EXPECT_TRUE(f.toDocument.IsIdentity());

  // FBX: its axes (Y up here) and its unit: 100 cm is the metre.
  f = FrameOfFile("FBX/maxPbrMaterial_metalRough.fbx", U::Inches);
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 1, -3, 2);
  EXPECT_EQ(f.units, U::Meters);
  f = FrameOfFile("FBX/cubes_with_names.fbx");
  EXPECT_EQ(f.units, U::Centimeters);
  // A unit of 500 cm is no standard unit: centimetres, with the geometry scaled.
  f = FrameOfFile("FBX/global_settings.fbx");
  ExpectPoint(Apply(f.toDocument, 1, 2, 3), 500, -1500, 1000);
  EXPECT_EQ(f.units, U::Centimeters);
}
