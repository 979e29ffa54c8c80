// Whole sends against the bridge stand-in, read back from its call log.
#include <cmath>
#include <string>
#include <vector>

#include "common/element_id.h"
#include "material/material_conversion.h"
#include "model_export/model_exporter.h"
#include "model_export/swatch.h"
#include "platform/platform.h"
#include "tests/model_export/send_support.h"
#include "tests/model_export/test_meshes.h"

namespace model_export_test {
namespace {

using model_export::kSwatchOffset;
using model_export::MeshName;

using Names = std::vector<std::string>;
using FloatList = std::vector<float>;
using IntList = std::vector<int>;

constexpr const char* kMaterialsElementId = "00000000-0000-0000-0000-000000000000";

std::string Utf8(const std::wstring& text) { return platform::WideToUtf8(text); }

// A single triangle whose first vertex is p, with an upward normal per vertex.
ON_Mesh TriangleAt(const Xyz& p) {
  ON_Mesh mesh = TriangleMesh({p, {p.x + 1, p.y, p.z}, {p.x, p.y + 1, p.z}}, {{0, 1, 2}});
  for (int i = 0; i < 3; ++i) mesh.m_N.Append(ON_3fVector(0, 0, 1));
  return mesh;
}

// The mesh names of the AddMesh calls.
Names MeshNames(const std::vector<Json>& calls) {
  Names names;
  for (const Json& call : calls)
    if (call.at("fn") == "AddMesh") names.push_back(call.at("name").get<std::string>());
  return names;
}

// The calls of a send's first element, the materials element: from its
// DeleteElement to the first EndElement.
std::vector<Json> MaterialsElementCalls(const std::vector<Json>& calls) {
  std::vector<Json> element;
  for (const Json& call : calls) {
    if (element.empty() && call.at("fn") != "DeleteElement") continue;
    element.push_back(call);
    if (call.at("fn") == "EndElement") break;
  }
  return element;
}

std::vector<std::string> FnNames(const std::vector<Json>& calls) {
  Names names;
  for (const Json& call : calls) names.push_back(call.at("fn").get<std::string>());
  return names;
}

// --- The materials element -------------------------------------------------------

using MaterialsElementTest = SendTest;

TEST_F(MaterialsElementTest, EachListedMaterialWithItsSwatch) {
  CRhinoDoc doc;
  SetUnits(doc, ON::LengthUnitSystem::Millimeters);
  AddMeshObject(doc, BoxMesh(ON_3dPoint(0, 10, 20), ON_3dPoint(20, 30, 40)));
  CRhRdkMaterial& glass = AddMaterial(doc, L"Glass", Uuid("40270000-1111-2222-3333-444455556666"));
  glass.m_material.m_transparency = 0.5;
  CRhRdkMaterial& steel = AddMaterial(doc, L"Steel", Uuid("9a3b0000-1111-2222-3333-444455556666"));
  steel.m_material.ToPhysicallyBased();
  steel.m_material.PhysicallyBased()->SetMetallic(1.0);
  AddMaterial(doc, L"Unlisted", Uuid("77770000-1111-2222-3333-444455556666"), false);
  doc.StandinRdk().StandinAdd(std::make_unique<CRhRdkContent>(), true);  // not a material

  ModelExporter exporter;
  exporter.SendFullModel(&doc);

  const std::vector<Json> calls = MaterialsElementCalls(Calls());
  ASSERT_EQ(FnNames(calls),
            (Names{"DeleteElement", "BeginElement", "AddMaterial", "AddMesh", "AddInstance",
                   "AddMaterial", "AddMesh", "AddInstance", "EndElement"}));
  ASSERT_NE(exporter.Model(), 0);
  for (const Json& call : calls)
    if (call.contains("model")) {
      EXPECT_EQ(call["model"], exporter.Model()) << call.dump();
    }
  EXPECT_EQ(calls[0]["id"], kMaterialsElementId);
  EXPECT_EQ(calls[1]["id"], kMaterialsElementId);

  // Each record is the conversion that fits the material.
  ASSERT_NE(material::BasicMaterialRecord(steel.m_material),
            material::PhysicallyBasedMaterialRecord(steel.m_material));
  EXPECT_EQ(calls[2]["key"], "Glass_4027");
  EXPECT_EQ(calls[2]["record"], Utf8(material::BasicMaterialRecord(glass.m_material)));
  EXPECT_NE(calls[2]["record"].get<std::string>().find("<Name>Glass</Name>"), std::string::npos);
  EXPECT_EQ(calls[5]["key"], "Steel_9a3b");
  EXPECT_EQ(calls[5]["record"], Utf8(material::PhysicallyBasedMaterialRecord(steel.m_material)));

  // The swatch: anchored at the box centre (10, 20, 30) mm = (1, 2, 3) cm.
  const float d = kSwatchOffset;
  for (int at : {3, 6}) {
    const Json& mesh = calls[static_cast<size_t>(at)];
    const std::string key = calls[static_cast<size_t>(at - 1)]["key"];
    EXPECT_EQ(mesh["name"], key);
    EXPECT_EQ(Floats(mesh["positions"]), (FloatList{2, 1, 3, 2 + d, 1, 3, 2, 1 + d, 3}));
    EXPECT_EQ(Floats(mesh["normals"]), (FloatList{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(Floats(mesh["uvs"]), (FloatList{0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(mesh["extra"].is_null());
    EXPECT_EQ(Ints(mesh["indices"]), (IntList{0, 1, 2}));
    const Json& instance = calls[static_cast<size_t>(at + 1)];
    EXPECT_EQ(instance["mesh"], key);
    EXPECT_EQ(instance["material"], key);
    EXPECT_EQ(Floats(instance["transform"]), IdentityFloats());
  }
  // Swatches are named by their keys and spend no mesh number.
  EXPECT_EQ(MeshNames(Calls()).at(2), Utf8(MeshName(0)));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MaterialsElementTest, SharedLeadingIdDigitsSendTheFirstOnly) {
  CRhinoDoc doc;
  AddMaterial(doc, L"Alpha", Uuid("12345678-aaaa-2222-3333-444455556666"));
  AddMaterial(doc, L"Beta", Uuid("12345678-bbbb-2222-3333-444455556666"));
  AddMaterial(doc, L"Gamma", Uuid("87654321-aaaa-2222-3333-444455556666"));
  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  Names keys;
  for (const Json& call : Calls("AddMaterial")) keys.push_back(call["key"]);
  EXPECT_EQ(keys, (Names{"Alpha_1234", "Gamma_8765"}));
  EXPECT_EQ(MeshNames(Calls()), (Names{"Alpha_1234", "Gamma_8765"}));

  // The filter starts empty on every send.
  exporter.SendFullModel(&doc);
  EXPECT_EQ(Calls("AddMaterial").size(), 4u);
}

TEST_F(MaterialsElementTest, NoMeshableObjectAnchorsTheSwatchAtTheOrigin) {
  CRhinoDoc doc;
  SetUnits(doc, ON::LengthUnitSystem::Meters);
  AddMaterial(doc, L"Only", Uuid("aaaa0000-1111-2222-3333-444455556666"));
  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const std::vector<Json> meshes = Calls("AddMesh");
  ASSERT_EQ(meshes.size(), 1u);
  const float d = kSwatchOffset;
  EXPECT_EQ(Floats(meshes[0]["positions"]), (FloatList{0, 0, 0, d, 0, 0, 0, d, 0}));
}

// --- Object elements ---------------------------------------------------------------

using ObjectElementsTest = SendTest;

TEST_F(ObjectElementsTest, HiddenDeletedAndBlockReferenceObjectsGiveNoElement) {
  CRhinoDoc doc;
  const ON_UUID visible = Uuid("a0000000-0000-0000-0000-00000000000a");
  const ON_UUID locked = Uuid("b0000000-0000-0000-0000-00000000000b");
  const ON_UUID definition = Uuid("d0000000-0000-0000-0000-00000000000d");
  AddMeshObject(doc, TriangleAt({0, 0, 0})).StandinAttributes().m_uuid = visible;
  CRhinoMeshObject& hidden = AddMeshObject(doc, TriangleAt({1, 0, 0}));
  hidden.StandinAttributes().SetMode(ON::hidden_object);
  AddMeshObject(doc, TriangleAt({2, 0, 0})).StandinSetDeleted(true);
  CRhinoMeshObject& lockedObject = AddMeshObject(doc, TriangleAt({3, 0, 0}));
  lockedObject.StandinAttributes().m_uuid = locked;
  lockedObject.StandinAttributes().SetMode(ON::locked_object);
  AddBrep(doc, NewUuid(), {});  // no render mesh: deferred, then nothing
  std::vector<std::unique_ptr<CRhinoObject>> objects;
  objects.push_back(MeshObjectFor(doc, TriangleAt({0, 0, 0})));
  AddDefinition(doc, definition, std::move(objects));
  AddReference(doc, definition, ON_Xform::IdentityTransformation).StandinAttributes().m_uuid =
      Uuid("c0000000-0000-0000-0000-00000000000c");

  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  Names ids;
  for (const SentElement& element : Elements(Calls())) ids.push_back(element.id);
  EXPECT_EQ(
      ids, (Names{kMaterialsElementId, "a0000000-0000-0000-0000-00000000000a",
                  "b0000000-0000-0000-0000-00000000000b", "d0000000-0000-0000-0000-00000000000d"}));
}

TEST_F(ObjectElementsTest, SubObjectMaterialsAndTheDeferredPathTakeTheirOwnKeys) {
  CRhinoDoc doc;
  SetUnits(doc, ON::LengthUnitSystem::Meters);
  const ON_UUID red = Uuid("5eed0000-0000-0000-0000-000000000001");
  const ON_UUID unnamed = Uuid("0bad0000-0000-0000-0000-000000000002");
  const ON_UUID blue = Uuid("b1000000-0000-0000-0000-000000000003");
  const ON_UUID layerMaterial = Uuid("1a000000-0000-0000-0000-000000000004");
  AddMaterial(doc, L"Red", red);
  AddMaterial(doc, L"", unnamed);
  AddMaterial(doc, L"Blue", blue);
  AddMaterial(doc, L"LayerMat", layerMaterial);
  AddLayer(doc, layerMaterial);  // layer 0
  const int bareLayer = AddLayer(doc, ON_nil_uuid);

  // Deferred although it comes first: no face has a material of its own; its
  // own material has no name, so it takes its layer's.
  AddBrep(doc, Uuid("dddd0000-0000-0000-0000-000000000000"),
          {{TriangleAt({0, 0, 0}), ON_nil_uuid}, {TriangleAt({5, 0, 0}), ON_nil_uuid}}, unnamed);
  // Sent at once: faces with Red, with the unnamed material, and with none
  // (wearing the object's Blue).
  AddBrep(doc, Uuid("ffff0000-0000-0000-0000-000000000000"),
          {{TriangleAt({1, 2, 3}), red},
           {TriangleAt({4, 5, 6}), unnamed},
           {TriangleAt({7, 8, 9}), ON_nil_uuid}},
          blue);
  // A mesh without a material of its own wears its layer's, by name.
  AddMeshObject(doc, TriangleAt({0, 0, 1})).StandinAttributes().m_uuid =
      Uuid("11110000-0000-0000-0000-000000000000");
  // An unnamed material on a layer without one: the layer's default material.
  CRhinoMeshObject& bare = AddMeshObject(doc, TriangleAt({0, 0, 2}), unnamed);
  bare.StandinAttributes().m_uuid = Uuid("22220000-0000-0000-0000-000000000000");
  bare.StandinAttributes().m_layer_index = bareLayer;

  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const std::vector<SentElement> elements = Elements(Calls());
  ASSERT_EQ(elements.size(), 5u);
  EXPECT_EQ(elements[1].id, "ffff0000-0000-0000-0000-000000000000");
  EXPECT_EQ(elements[2].id, "dddd0000-0000-0000-0000-000000000000");
  EXPECT_EQ(elements[3].id, "11110000-0000-0000-0000-000000000000");
  EXPECT_EQ(elements[4].id, "22220000-0000-0000-0000-000000000000");

  // One mesh per face, each placed at once with its own key.
  const std::vector<Json>& faces = elements[1].calls;
  ASSERT_EQ(FnNames(faces),
            (Names{"AddMesh", "AddInstance", "AddMesh", "AddInstance", "AddMesh", "AddInstance"}));
  EXPECT_EQ(MeshNames(faces), (Names{"0", "1", "2"}));
  EXPECT_EQ(faces[1]["material"], "Red_5eed");
  EXPECT_EQ(faces[3]["material"], "");
  EXPECT_EQ(faces[5]["material"], "Blue_b100");
  for (int i : {1, 3, 5}) {
    EXPECT_EQ(faces[static_cast<size_t>(i)]["mesh"], faces[static_cast<size_t>(i - 1)]["name"]);
    EXPECT_EQ(Floats(faces[static_cast<size_t>(i)]["transform"]), IdentityFloats());
  }
  // Metres: (1, 2, 3) goes out as (200, 100, 300).
  EXPECT_EQ(Floats(faces[0]["positions"]),
            (FloatList{200, 100, 300, 200, 200, 300, 300, 100, 300}));
  EXPECT_EQ(Floats(faces[0]["normals"]), (FloatList{0, 0, 1, 0, 0, 1, 0, 0, 1}));

  // The deferred brep is one mesh, its faces joined.
  const std::vector<Json>& joined = elements[2].calls;
  ASSERT_EQ(FnNames(joined), (Names{"AddMesh", "AddInstance"}));
  EXPECT_EQ(joined[0]["name"], "3");
  EXPECT_EQ(Ints(joined[0]["indices"]), (IntList{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(joined[1]["material"], "LayerMat_1a00");
  EXPECT_EQ(elements[3].calls.at(1)["material"], "LayerMat_1a00");
  EXPECT_EQ(elements[4].calls.at(1)["material"], "_0000");
  EXPECT_EQ(exporter.MeshCounter(), 6u);
}

TEST_F(ObjectElementsTest, FaceMaterialObjectWithoutMeshesStillOpensItsElement) {
  CRhinoDoc doc;
  const ON_UUID red = Uuid("5eed0000-0000-0000-0000-000000000001");
  AddMaterial(doc, L"Red", red);
  // A face with a material but no triangle.
  AddBrep(doc, Uuid("eeee0000-0000-0000-0000-000000000000"),
          {{TriangleMesh({{0, 0, 0}, {1, 0, 0}}, {}), red}});
  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const SentElement element = ElementWithId(Calls(), "eeee0000-0000-0000-0000-000000000000");
  EXPECT_TRUE(element.calls.empty());
  EXPECT_EQ(exporter.MeshCounter(), 0u);
}

// --- Block definitions -------------------------------------------------------------

using BlockDefinitionsTest = SendTest;

TEST_F(BlockDefinitionsTest, MeshesOnceThenOnePlacementPerMeshPerVisibleReference) {
  CRhinoDoc doc;
  SetUnits(doc, ON::LengthUnitSystem::Meters);
  const ON_UUID wood = Uuid("300d0000-0000-0000-0000-000000000001");
  const ON_UUID unnamed = Uuid("0bad0000-0000-0000-0000-000000000002");
  const ON_UUID layerMaterial = Uuid("1a000000-0000-0000-0000-000000000004");
  AddMaterial(doc, L"Wood", wood);
  AddMaterial(doc, L"", unnamed);
  AddMaterial(doc, L"LayerMat", layerMaterial);
  AddLayer(doc, layerMaterial);

  const ON_UUID block = Uuid("b10c0000-0000-0000-0000-000000000000");
  ON_Mesh quad;
  for (ON_3fPoint p :
       {ON_3fPoint(0, 0, 0), ON_3fPoint(1, 0, 0), ON_3fPoint(1, 1, 0), ON_3fPoint(0, 1, 0)})
    quad.m_V.Append(p);
  AppendQuad(quad, 0, 1, 2, 3);
  std::vector<std::unique_ptr<CRhinoObject>> objects;
  objects.push_back(MeshObjectFor(doc, TriangleAt({1, 2, 3}), wood));
  objects.push_back(MeshObjectFor(doc, TriangleMesh({{0, 0, 0}}, {})));  // nothing to send
  objects.push_back(MeshObjectFor(doc, quad, unnamed));
  objects.push_back(MeshObjectFor(doc, TriangleAt({0, 0, 0})));
  AddDefinition(doc, block, std::move(objects));

  AddReference(doc, block, ON_Xform::TranslationTransformation(ON_3dVector(1, 0, 0)));
  ON_Xform turn(1.0);
  turn[0][0] = 0, turn[0][1] = -1, turn[1][0] = 1, turn[1][1] = 0, turn[0][3] = 2;
  AddReference(doc, block, turn);
  AddReference(doc, block, ON_Xform::IdentityTransformation)
      .StandinAttributes()
      .SetMode(ON::hidden_object);
  AddReference(doc, block, ON_Xform::IdentityTransformation).StandinSetDeleted(true);
  AddReference(doc, block, ON_Xform::IdentityTransformation).StandinSetActive(false);

  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const std::vector<SentElement> elements = Elements(Calls());
  ASSERT_EQ(elements.size(), 2u);  // the materials element, then the block
  const SentElement& element = elements[1];
  EXPECT_EQ(element.id, "b10c0000-0000-0000-0000-000000000000");
  ASSERT_EQ(FnNames(element.calls),
            (Names{"AddMesh", "AddMesh", "AddMesh", "AddInstance", "AddInstance", "AddInstance",
                   "AddInstance", "AddInstance", "AddInstance"}));
  EXPECT_EQ(MeshNames(element.calls), (Names{"0", "1", "2"}));

  // Model axes, normals turned over.
  const Json& first = element.calls[0];
  EXPECT_EQ(Floats(first["positions"]), (FloatList{100, 200, 300, 200, 200, 300, 100, 300, 300}));
  EXPECT_EQ(Floats(first["normals"]), (FloatList{0, 0, -1, 0, 0, -1, 0, 0, -1}));
  EXPECT_EQ(Ints(element.calls[1]["indices"]).size(), 6u);
  // The fourth buffer slot stays empty for numbered meshes too.
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(element.calls[i]["extra"].is_null()) << i;

  const Names meshes{"0", "1", "2", "0", "1", "2"};
  const Names keys{"Wood_300d", "_0bad", "LayerMat_1a00", "Wood_300d", "_0bad", "LayerMat_1a00"};
  const FloatList moved{0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 100, 0, 1};
  const FloatList turned{1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 200, 0, 1};
  for (size_t i = 0; i < 6; ++i) {
    const Json& instance = element.calls[3 + i];
    EXPECT_EQ(instance["mesh"], meshes[i]) << i;
    EXPECT_EQ(instance["material"], keys[i]) << i;
    EXPECT_EQ(Floats(instance["transform"]), i < 3 ? moved : turned) << i;
  }
  EXPECT_EQ(exporter.MeshCounter(), 3u);
}

TEST_F(BlockDefinitionsTest, NestedTurnedBlockSendsTurnedNormalsAndItsPartsOwnMaterial) {
  CRhinoDoc doc;
  SetUnits(doc, ON::LengthUnitSystem::Meters);
  const ON_UUID wood = Uuid("300d0000-0000-0000-0000-000000000001");
  const ON_UUID metal = Uuid("3e7a0000-0000-0000-0000-000000000002");
  AddMaterial(doc, L"Wood", wood);
  AddMaterial(doc, L"Metal", metal);
  const ON_UUID inner = Uuid("b10c0000-0000-0000-0000-000000000001");
  std::vector<std::unique_ptr<CRhinoObject>> parts;
  parts.push_back(MeshObjectFor(doc, TriangleAt({0, 0, 0}), metal));
  AddDefinition(doc, inner, std::move(parts));
  // The outer block holds the inner one turned a quarter about X; the nested
  // reference itself wears wood.
  auto nested = std::make_unique<CRhinoInstanceObject>();
  nested->m_definition_id = inner;
  nested->m_xform.Rotation(ON_PI / 2, ON_3dVector::XAxis, ON_3dPoint::Origin);
  nested->StandinSetMaterial(wood);
  nested->StandinSetDocument(&doc);
  std::vector<std::unique_ptr<CRhinoObject>> holder;
  holder.push_back(std::move(nested));
  const ON_UUID outer = Uuid("b10c0000-0000-0000-0000-000000000002");
  AddDefinition(doc, outer, std::move(holder));
  AddReference(doc, outer, ON_Xform::IdentityTransformation);

  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const SentElement element = ElementWithId(Calls(), "b10c0000-0000-0000-0000-000000000002");
  ASSERT_EQ(FnNames(element.calls), (Names{"AddMesh", "AddInstance"}));
  // (0, 0, 1) turned a quarter about X is (0, -1, 0), sent turned over.
  const FloatList normals = Floats(element.calls[0]["normals"]);
  ASSERT_EQ(normals.size(), 9u);
  for (size_t i = 0; i < 9; ++i) EXPECT_NEAR(normals[i], i % 3 == 1 ? 1.0f : 0.0f, 1e-6f) << i;
  EXPECT_EQ(element.calls[1]["material"], "Metal_3e7a");
}

TEST_F(BlockDefinitionsTest, OnlyLiveDefinitionsWithReferencesAreSent) {
  CRhinoDoc doc;
  const ON_UUID deleted = Uuid("de000000-0000-0000-0000-000000000000");
  const ON_UUID hidden = Uuid("41000000-0000-0000-0000-000000000000");
  const ON_UUID unused = Uuid("00500000-0000-0000-0000-000000000000");
  const ON_UUID unseen = Uuid("05ee0000-0000-0000-0000-000000000000");
  for (const ON_UUID& id : {deleted, hidden, unused, unseen}) {
    std::vector<std::unique_ptr<CRhinoObject>> objects;
    objects.push_back(MeshObjectFor(doc, TriangleAt({0, 0, 0})));
    CRhinoInstanceDefinition& definition = AddDefinition(doc, id, std::move(objects));
    if (id == deleted) definition.SetDeletedModelComponentState(true, nullptr);
    if (id == hidden) definition.SetHiddenModelComponentState(true);
    if (id != unused) {
      CRhinoInstanceObject& reference = AddReference(doc, id, ON_Xform::IdentityTransformation);
      if (id == unseen) reference.StandinAttributes().SetMode(ON::hidden_object);
    }
  }
  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const std::vector<SentElement> elements = Elements(Calls());
  ASSERT_EQ(elements.size(), 2u);
  // Every reference hidden: the meshes go out, with no placement.
  EXPECT_EQ(elements[1].id, "05ee0000-0000-0000-0000-000000000000");
  EXPECT_EQ(FnNames(elements[1].calls), (Names{"AddMesh"}));
}

// --- Model units -------------------------------------------------------------------

using ModelUnitsTest = SendTest;

TEST_F(ModelUnitsTest, MillimetresAndMetresScaleToCentimetres) {
  for (const auto& [units, expected] :
       {std::pair{ON::LengthUnitSystem::Millimeters, FloatList{2, 1, 3, 2, 2, 3, 3, 1, 3}},
        std::pair{ON::LengthUnitSystem::Meters,
                  FloatList{200, 100, 300, 200, 200, 300, 300, 100, 300}}}) {
    const size_t before = Calls("AddMesh").size();
    CRhinoDoc doc;
    SetUnits(doc, units);
    const float base = units == ON::LengthUnitSystem::Meters ? 1.0f : 10.0f;
    ON_Mesh mesh = TriangleMesh({{base * 1, base * 2, base * 3},
                                 {base * 2, base * 2, base * 3},
                                 {base * 1, base * 3, base * 3}},
                                {{0, 1, 2}});
    AddMeshObject(doc, mesh);
    ModelExporter exporter;
    exporter.SendFullModel(&doc);
    const std::vector<Json> meshes = Calls("AddMesh");
    ASSERT_EQ(meshes.size(), before + 1);
    EXPECT_EQ(Floats(meshes.back()["positions"]), expected);
    EXPECT_DOUBLE_EQ(exporter.Scale(), units == ON::LengthUnitSystem::Meters ? 100.0 : 0.1);
  }
}

TEST_F(ModelUnitsTest, NoUnitsSendNotANumberInEveryCoordinate) {
  CRhinoDoc doc;
  SetUnits(doc, ON::LengthUnitSystem::Unset);
  AddMaterial(doc, L"Any", Uuid("aaaa0000-1111-2222-3333-444455556666"));
  AddMeshObject(doc, TriangleAt({1, 2, 3}));
  const ON_UUID block = Uuid("b10c0000-0000-0000-0000-000000000000");
  std::vector<std::unique_ptr<CRhinoObject>> objects;
  objects.push_back(MeshObjectFor(doc, TriangleAt({0, 0, 0})));
  AddDefinition(doc, block, std::move(objects));
  AddReference(doc, block, ON_Xform::TranslationTransformation(ON_3dVector(1, 2, 3)));

  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  EXPECT_NE(LogText().find("\"nan\""), std::string::npos);
  const std::vector<Json> meshes = Calls("AddMesh");
  ASSERT_EQ(MeshNames(meshes), (Names{"Any_aaaa", "0", "1"}));
  for (const Json& mesh : meshes) {
    for (float f : Floats(mesh["positions"])) EXPECT_TRUE(std::isnan(f)) << mesh["name"];
    EXPECT_EQ(Ints(mesh["indices"]), (IntList{0, 1, 2}));
  }
  const std::vector<Json> instances = Calls("AddInstance");
  ASSERT_EQ(instances.size(), 3u);
  const FloatList placement = Floats(instances[2]["transform"]);
  for (int i : {3, 7, 11, 12, 13, 14}) EXPECT_TRUE(std::isnan(placement[static_cast<size_t>(i)]));
}

// --- The full send -----------------------------------------------------------------

using FullSendTest = SendTest;

TEST_F(FullSendTest, FixedOrderIntoTheCreatedModel) {
  CRhinoDoc doc;
  AddMaterial(doc, L"Glass", Uuid("40270000-1111-2222-3333-444455556666"));
  AddMeshObject(doc, TriangleAt({0, 0, 0}));
  const ON_UUID block = Uuid("b10c0000-0000-0000-0000-000000000000");
  std::vector<std::unique_ptr<CRhinoObject>> objects;
  objects.push_back(MeshObjectFor(doc, TriangleAt({0, 0, 0})));
  AddDefinition(doc, block, std::move(objects));
  AddReference(doc, block, ON_Xform::IdentityTransformation);

  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const std::vector<Json> calls = Calls();
  EXPECT_EQ(FnNames(calls),
            (Names{"CreateModel", "DeleteElement", "BeginElement", "AddMaterial", "AddMesh",
                   "AddInstance", "EndElement", "BeginElement", "AddMesh", "AddInstance",
                   "EndElement", "BeginElement", "AddMesh", "AddInstance", "EndElement",
                   "OptimizeModel", "StartSend", "DisConnect"}));
  const BridgeModel model = calls.at(0)["result"];
  EXPECT_NE(model, 0);
  EXPECT_EQ(exporter.Model(), model);
  for (const Json& call : calls)
    if (call.contains("model")) {
      EXPECT_EQ(call["model"], model) << call.dump();
    }
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Prints().empty());
}

TEST_F(FullSendTest, EmptyDocumentStillSendsTheMaterialsElementAndStarts) {
  CRhinoDoc doc;
  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  EXPECT_EQ(CallNames(), (Names{"CreateModel", "DeleteElement", "BeginElement", "EndElement",
                                "OptimizeModel", "StartSend", "DisConnect"}));
}

TEST_F(FullSendTest, MeshNamesKeepCountingAcrossSends) {
  CRhinoDoc doc;
  AddMeshObject(doc, TriangleAt({0, 0, 0}));
  AddMeshObject(doc, TriangleMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}));  // no triangle
  AddMeshObject(doc, TriangleAt({5, 0, 0}));

  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  exporter.SendFullModel(&doc);
  EXPECT_EQ(MeshNames(Calls()), (Names{"0", "1", "2", "3"}));
  EXPECT_EQ(exporter.MeshCounter(), 4u);
  // A new model for each full send.
  const std::vector<Json> created = Calls("CreateModel");
  ASSERT_EQ(created.size(), 2u);
  EXPECT_NE(created[0]["result"], created[1]["result"]);
  // The object with no triangle opens an element and sends nothing in it.
  const std::vector<SentElement> elements = Elements(Calls());
  ASSERT_EQ(elements.size(), 8u);
  EXPECT_TRUE(elements[2].calls.empty());
}

TEST_F(FullSendTest, DocumentOrderHoldsAcrossTheFetchesOfALargeDocument) {
  CRhinoDoc doc;  // more objects than one fetch of render meshes takes
  SetUnits(doc, ON::LengthUnitSystem::Centimeters);
  Names expected;
  for (int i = 0; i < 300; ++i) {
    if (i % 97 == 5) {
      AddBrep(doc, NewUuid(), {});  // no render mesh: no element
      continue;
    }
    const CRhinoObject& object = AddMeshObject(doc, TriangleAt({static_cast<float>(i), 0, 0}));
    expected.push_back(Utf8(common::UuidToText(object.Id())));
  }
  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  Names ids;
  for (const SentElement& element : Elements(Calls())) ids.push_back(element.id);
  EXPECT_EQ(Names(ids.begin() + 1, ids.end()), expected);  // after the materials element
  // The last object's mesh is its own, the last number: first vertex x = 299 (renderer y).
  EXPECT_EQ(MeshNames(Calls()).back(), std::to_string(expected.size() - 1));
  EXPECT_EQ(Floats(Calls("AddMesh").back().at("positions")).at(1), 299.0f);
}

TEST_F(FullSendTest, DefinitionsKeepTheirOrderAcrossTheirBatches) {
  CRhinoDoc doc;  // more definition meshes than one batch takes
  SetUnits(doc, ON::LengthUnitSystem::Centimeters);
  // Definition i: 1 + i % 2 meshes at x = i wearing "M<i>"; every 40th never placed.
  std::vector<std::pair<std::string, int>> expected;  // id, i
  for (int i = 0; i < 150; ++i) {
    const ON_UUID material = NewUuid(), id = NewUuid();
    AddMaterial(doc, (L"M" + std::to_wstring(i)).c_str(), material);
    std::vector<std::unique_ptr<CRhinoObject>> objects;
    for (int m = 0; m < 1 + i % 2; ++m)
      objects.push_back(MeshObjectFor(doc, TriangleAt({static_cast<float>(i), 0, 0}), material));
    AddDefinition(doc, id, std::move(objects));
    if (i % 40 == 3) continue;
    AddReference(doc, id, ON_Xform::IdentityTransformation);
    expected.push_back({Utf8(common::UuidToText(id)), i});
  }
  ModelExporter exporter;
  exporter.SendFullModel(&doc);
  const std::vector<SentElement> elements = Elements(Calls());
  ASSERT_EQ(elements.size(), expected.size() + 1);  // after the materials element
  for (std::size_t e = 0; e < expected.size(); ++e) {
    const auto& [id, i] = expected[e];
    const std::vector<Json>& calls = elements[e + 1].calls;  // the meshes, then their placements
    ASSERT_EQ(elements[e + 1].id, id);
    ASSERT_EQ(calls.size(), 2u * (1 + i % 2));
    for (std::size_t m = 0, half = calls.size() / 2; m < half; ++m) {
      EXPECT_EQ(Floats(calls[m].at("positions")).at(0), static_cast<float>(i)) << i;
      EXPECT_EQ(calls[half + m]["mesh"], calls[m]["name"]);
      EXPECT_EQ(
          calls[half + m]["material"].get<std::string>().rfind("M" + std::to_string(i) + "_", 0),
          0u)
          << i;
    }
  }
}

}  // namespace
}  // namespace model_export_test
