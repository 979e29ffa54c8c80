#include "model_export/swatch.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "tests/model_export/test_meshes.h"

namespace {

using Floats9 = std::array<float, 9>;
using model_export::kSwatchOffset;
using model_export::SwatchAnchor;
using model_export_test::AddMeshObject;
using model_export_test::BoxMesh;

Floats9 Positions(const ON_3fPoint& anchor, double scale) {
  Floats9 out;
  out.fill(-7.0f);
  model_export::SwatchPositions(anchor, common::RendererFrame(scale), out.data());
  return out;
}

TEST(Swatch, OffsetHasItsBitPattern) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &kSwatchOffset, sizeof bits);
  EXPECT_EQ(bits, 0x3BA7CA1Du);
}

TEST(Swatch, BoxCentredInAMillimetreDocument) {
  CRhinoDoc doc;
  doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Millimeters));
  AddMeshObject(doc, BoxMesh(ON_3dPoint(0, 10, 20), ON_3dPoint(20, 30, 40)));
  const ON_3fPoint anchor = SwatchAnchor(&doc);
  EXPECT_EQ(anchor.x, 10.0f);
  EXPECT_EQ(anchor.y, 20.0f);
  EXPECT_EQ(anchor.z, 30.0f);
  const float d = kSwatchOffset;
  EXPECT_EQ(Positions(anchor, 0.1), (Floats9{2, 1, 3, 2 + d, 1, 3, 2, 1 + d, 3}));
  EXPECT_EQ(2 + d, 2.00512052f);
}

TEST(Swatch, AnchorComesFromTheFirstVisibleObjectWithAMesh) {
  CRhinoDoc doc;
  AddMeshObject(doc, BoxMesh(ON_3dPoint(-9, -9, -9), ON_3dPoint(-7, -7, -7)))
      .StandinAttributes()
      .SetMode(ON::hidden_object);
  AddMeshObject(doc, BoxMesh(ON_3dPoint(-5, -5, -5), ON_3dPoint(-3, -3, -3)))
      .StandinSetDeleted(true);
  doc.StandinAddObject(std::make_unique<CRhinoBrepObject>());  // no render mesh
  AddMeshObject(doc, BoxMesh(ON_3dPoint(2, 4, 6), ON_3dPoint(4, 8, 12)));
  AddMeshObject(doc, BoxMesh(ON_3dPoint(100, 100, 100), ON_3dPoint(200, 200, 200)));
  const ON_3fPoint anchor = SwatchAnchor(&doc);
  EXPECT_EQ(anchor.x, 3.0f);
  EXPECT_EQ(anchor.y, 6.0f);
  EXPECT_EQ(anchor.z, 9.0f);
}

TEST(Swatch, AnchorSkipsLayersThatAreOffAndMeasuresAPlacedBlock) {
  CRhinoDoc doc;
  doc.m_layer_table.AddLayer(ON_Layer());  // layer 0, where the block stands
  ON_Layer off;
  off.SetVisible(false);
  AddMeshObject(doc, BoxMesh(ON_3dPoint(-9, -9, -9), ON_3dPoint(-7, -7, -7)))
      .StandinAttributes()
      .m_layer_index = doc.m_layer_table.AddLayer(off);
  // A block of a box from the origin to (2, 2, 2), placed 10 along X.
  auto definition = std::make_unique<CRhinoInstanceDefinition>();
  definition->SetId(model_export_test::NewUuid());
  auto part = std::make_unique<CRhinoMeshObject>();
  part->m_mesh = BoxMesh(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2));
  part->StandinSetDocument(&doc);
  definition->StandinAddObject(std::move(part));
  auto reference = std::make_unique<CRhinoInstanceObject>();
  reference->m_definition_id =
      doc.m_instance_definition_table.StandinAdd(std::move(definition)).Id();
  reference->m_xform = ON_Xform::TranslationTransformation(ON_3dVector(10, 0, 0));
  doc.StandinAddObject(std::move(reference));
  const ON_3fPoint anchor = SwatchAnchor(&doc);
  EXPECT_EQ(anchor.x, 11.0f);
  EXPECT_EQ(anchor.y, 1.0f);
  EXPECT_EQ(anchor.z, 1.0f);
}

TEST(Swatch, OriginWithoutAMeshableObject) {
  CRhinoDoc doc;
  doc.StandinAddObject(std::make_unique<CRhinoBrepObject>());
  for (const CRhinoDoc* d :
       {static_cast<const CRhinoDoc*>(&doc), static_cast<const CRhinoDoc*>(nullptr)}) {
    const ON_3fPoint anchor = SwatchAnchor(d);
    EXPECT_EQ(anchor.x, 0.0f);
    EXPECT_EQ(anchor.y, 0.0f);
    EXPECT_EQ(anchor.z, 0.0f);
  }
  const float d = kSwatchOffset;
  EXPECT_EQ(Positions(ON_3fPoint(0, 0, 0), 100.0), (Floats9{0, 0, 0, d, 0, 0, 0, d, 0}));
}

}  // namespace
