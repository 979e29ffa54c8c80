// A full send through a bridge that lacks CreateModel.
#include <memory>
#include <string>
#include <vector>

#include "model_export/model_exporter.h"
#include "tests/model_export/send_support.h"
#include "tests/model_export/test_meshes.h"

namespace model_export_test {
namespace {

using MissingCreateModelTest = SendTest;

TEST_F(MissingCreateModelTest, EveryCallCarriesModelZeroAndTheTransferIsNotStarted) {
  CRhinoDoc doc;
  AddMaterial(doc, L"Glass", Uuid("40270000-1111-2222-3333-444455556666"));
  AddMeshObject(doc, UnitTriangle());
  const ON_UUID block = Uuid("b10c0000-0000-0000-0000-000000000000");
  std::vector<std::unique_ptr<CRhinoObject>> objects;
  objects.push_back(MeshObjectFor(doc, UnitTriangle()));
  AddDefinition(doc, block, std::move(objects));
  AddReference(doc, block, ON_Xform::IdentityTransformation);

  ModelExporter exporter;
  exporter.SendFullModel(&doc);

  const std::vector<ShownBox> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Get dll func error");
  EXPECT_EQ(boxes[0].caption, L"error");
  EXPECT_EQ(exporter.Model(), 0);

  const std::vector<Json> calls = Calls();
  ASSERT_FALSE(calls.empty());
  int withModel = 0;
  for (const Json& call : calls) {
    EXPECT_NE(call["fn"], "StartSend");
    if (call.contains("model")) {
      ++withModel;
      EXPECT_EQ(call["model"], 0) << call.dump();
    }
  }
  // DeleteElement, 3 BeginElement, AddMaterial, 3 AddMesh, 3 AddInstance, OptimizeModel.
  EXPECT_EQ(withModel, 12);
  EXPECT_EQ(calls.back()["fn"], "DisConnect");
  EXPECT_EQ(Prints(), (std::vector<std::string>{"model is null\n"}));
}

}  // namespace
}  // namespace model_export_test
