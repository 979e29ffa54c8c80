#include "tests/model_export/send_support.h"

#include <cmath>

#include "tests/model_export/test_meshes.h"

namespace model_export_test {
namespace {

// The bridge's call log and the recording host, shared by every test of the
// process. Made by the first SetUp, before any exporter loads the bridge.
test_support::InProcessHost& TheProcess() {
  static test_support::InProcessHost process("orvex-export");
  return process;
}

float FloatOf(const Json& value) {
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    if (text == "nan") return std::nanf("");
    if (text == "inf") return INFINITY;
    if (text == "-inf") return -INFINITY;
    ADD_FAILURE() << "unexpected text in a float array: " << text;
    return 0;
  }
  return value.get<float>();
}

}  // namespace

void SendTest::SetUp() {
  logStart_ = TheProcess().log.Size();
  boxStart_ = TheProcess().host.BoxCount();
  printStart_ = TheProcess().host.PrintCount();
}

std::string SendTest::LogText() const { return TheProcess().log.TextFrom(logStart_); }

std::vector<Json> SendTest::Calls() const { return TheProcess().log.CallsFrom(logStart_); }

std::vector<Json> SendTest::Calls(const std::string& fn) const {
  std::vector<Json> selected;
  for (Json& call : Calls())
    if (call.at("fn") == fn) selected.push_back(std::move(call));
  return selected;
}

std::vector<std::string> SendTest::CallNames() const {
  std::vector<std::string> names;
  for (const Json& call : Calls()) names.push_back(call.at("fn").get<std::string>());
  return names;
}

std::vector<ShownBox> SendTest::Boxes() const { return TheProcess().host.Boxes(boxStart_); }

std::vector<std::string> SendTest::Prints() const { return TheProcess().host.Prints(printStart_); }

std::vector<float> Floats(const Json& array) {
  std::vector<float> values;
  for (const Json& value : array) values.push_back(FloatOf(value));
  return values;
}

std::vector<int> Ints(const Json& array) { return array.get<std::vector<int>>(); }

std::vector<float> IdentityFloats() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

void SetUnits(CRhinoDoc& doc, ON::LengthUnitSystem units) {
  doc.SetPathName(L"/projects/house.3dm");
  doc.SetModelUnits(ON_UnitSystem(units));
}

int AddLayer(CRhinoDoc& doc, const ON_UUID& material) {
  CRhinoLayer layer;
  layer.SetId(NewUuid());
  layer.m_standin_material_id = material;
  layer.m_doc = &doc;
  return doc.m_layer_table.AddLayer(layer);
}

CRhinoBrepObject& AddBrep(CRhinoDoc& doc, const ON_UUID& id, std::vector<TestFace> faces,
                          const ON_UUID& material) {
  auto brep = std::make_unique<CRhinoBrepObject>();
  brep->StandinAttributes().m_uuid = id;
  brep->StandinSetMaterial(material);
  std::vector<CRhinoBrepObject::Face> brepFaces;
  for (TestFace& face : faces) brepFaces.push_back({std::move(face.mesh), face.material});
  brep->StandinSetFaces(std::move(brepFaces));
  return static_cast<CRhinoBrepObject&>(doc.StandinAddObject(std::move(brep)));
}

CRhinoInstanceDefinition& AddDefinition(CRhinoDoc& doc, const ON_UUID& id,
                                        std::vector<std::unique_ptr<CRhinoObject>> objects) {
  auto definition = std::make_unique<CRhinoInstanceDefinition>();
  definition->SetId(id);
  definition->m_doc = &doc;
  for (auto& object : objects) definition->StandinAddObject(std::move(object));
  return doc.m_instance_definition_table.StandinAdd(std::move(definition));
}

std::unique_ptr<CRhinoObject> MeshObjectFor(CRhinoDoc& doc, ON_Mesh mesh, const ON_UUID& material) {
  auto object = std::make_unique<CRhinoMeshObject>();
  object->StandinAttributes().m_uuid = NewUuid();
  object->StandinSetMaterial(material);
  object->StandinSetDocument(&doc);
  object->m_mesh = std::move(mesh);
  return object;
}

CRhinoInstanceObject& AddReference(CRhinoDoc& doc, const ON_UUID& definition,
                                   const ON_Xform& xform) {
  auto reference = std::make_unique<CRhinoInstanceObject>();
  reference->StandinAttributes().m_uuid = NewUuid();
  reference->m_definition_id = definition;
  reference->m_xform = xform;
  return static_cast<CRhinoInstanceObject&>(doc.StandinAddObject(std::move(reference)));
}

}  // namespace model_export_test

namespace model_export_test {

std::vector<SentElement> Elements(const std::vector<Json>& calls) {
  std::vector<SentElement> elements;
  bool open = false;
  for (const Json& call : calls) {
    const std::string fn = call.at("fn").get<std::string>();
    if (fn == "BeginElement") {
      EXPECT_FALSE(open) << "BeginElement inside an open element";
      elements.push_back(
          {call.at("id").get<std::string>(), call.at("model").get<BridgeModel>(), {}});
      open = true;
    } else if (fn == "EndElement") {
      EXPECT_TRUE(open) << "EndElement without an open element";
      open = false;
    } else if (open) {
      elements.back().calls.push_back(call);
    }
  }
  EXPECT_FALSE(open) << "an element was left open";
  return elements;
}

SentElement ElementWithId(const std::vector<Json>& calls, const std::string& id) {
  SentElement found;
  int count = 0;
  for (SentElement& element : Elements(calls))
    if (element.id == id) found = std::move(element), ++count;
  EXPECT_EQ(count, 1) << "elements with id " << id;
  return found;
}

}  // namespace model_export_test
