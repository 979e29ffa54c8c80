// Sends through a bridge that lacks AddInstance: one message per placement,
// and the meshes still go out under their numbers.
#include <memory>
#include <string>
#include <vector>

#include "model_export/model_exporter.h"
#include "tests/model_export/send_support.h"
#include "tests/model_export/test_meshes.h"

namespace model_export_test {
namespace {

using MissingAddInstanceTest = SendTest;

TEST_F(MissingAddInstanceTest, OneMessagePerPlacement) {
  CRhinoDoc doc;
  AddMaterial(doc, L"Glass", Uuid("40270000-1111-2222-3333-444455556666"));
  AddMaterial(doc, L"Steel", Uuid("9a3b0000-1111-2222-3333-444455556666"));
  AddMeshObject(doc, UnitTriangle());
  AddMeshObject(doc, UnitTriangle());
  const ON_UUID block = Uuid("b10c0000-0000-0000-0000-000000000000");
  std::vector<std::unique_ptr<CRhinoObject>> objects;
  objects.push_back(MeshObjectFor(doc, UnitTriangle()));
  objects.push_back(MeshObjectFor(doc, UnitTriangle()));
  AddDefinition(doc, block, std::move(objects));
  AddReference(doc, block, ON_Xform::IdentityTransformation);
  AddReference(doc, block, ON_Xform::TranslationTransformation(ON_3dVector(1, 0, 0)));

  ModelExporter exporter;
  exporter.SendFullModel(&doc);

  // 2 swatches + 2 objects + 2 meshes x 2 references.
  const std::vector<ShownBox> boxes = Boxes();
  EXPECT_EQ(boxes.size(), 8u);
  for (const ShownBox& box : boxes) EXPECT_EQ(box.text, L"Get dll func error");
  EXPECT_TRUE(Calls("AddInstance").empty());

  std::vector<std::string> names;
  for (const Json& mesh : Calls("AddMesh")) names.push_back(mesh["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"Glass_4027", "Steel_9a3b", "0", "1", "2", "3"}));
  EXPECT_EQ(exporter.MeshCounter(), 4u);
  EXPECT_EQ(Calls("StartSend").size(), 1u);
}

}  // namespace
}  // namespace model_export_test
