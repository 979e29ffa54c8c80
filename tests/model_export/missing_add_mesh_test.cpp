// Sends through a bridge that lacks AddMesh: one message per mesh, every mesh
// that had triangles still spends its number, and the placements still go
// out under those numbers.
#include <memory>
#include <string>
#include <vector>

#include "model_export/model_exporter.h"
#include "tests/model_export/send_support.h"
#include "tests/model_export/test_meshes.h"

namespace model_export_test {
namespace {

using MissingAddMeshTest = SendTest;

TEST_F(MissingAddMeshTest, OneMessagePerMeshAndTheNumbersAreSpent) {
  CRhinoDoc doc;
  AddMaterial(doc, L"Glass", Uuid("40270000-1111-2222-3333-444455556666"));
  AddMeshObject(doc, UnitTriangle());
  AddMeshObject(doc, TriangleMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}));  // nothing to send
  AddMeshObject(doc, UnitTriangle());
  const ON_UUID block = Uuid("b10c0000-0000-0000-0000-000000000000");
  std::vector<std::unique_ptr<CRhinoObject>> objects;
  objects.push_back(MeshObjectFor(doc, UnitTriangle()));
  AddDefinition(doc, block, std::move(objects));
  AddReference(doc, block, ON_Xform::IdentityTransformation);

  ModelExporter exporter;
  exporter.SendFullModel(&doc);

  // The swatch, two objects and the block's one mesh; the mesh without
  // triangles asks for nothing.
  const std::vector<ShownBox> boxes = Boxes();
  EXPECT_EQ(boxes.size(), 4u);
  for (const ShownBox& box : boxes) EXPECT_EQ(box.text, L"Get dll func error");
  EXPECT_TRUE(Calls("AddMesh").empty());
  EXPECT_EQ(exporter.MeshCounter(), 3u);

  std::vector<std::string> names;
  for (const Json& instance : Calls("AddInstance")) names.push_back(instance["mesh"]);
  EXPECT_EQ(names, (std::vector<std::string>{"Glass_4027", "0", "1", "2"}));
  EXPECT_EQ(Calls("StartSend").size(), 1u);
}

}  // namespace
}  // namespace model_export_test
