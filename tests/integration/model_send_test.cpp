// The whole model through orvex-host and the bridge stand-in: document files
// opened by the host, Start and Send model run as commands, and what the
// renderer received read back from the bridge call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "command_names.h"
#include "host_sandbox.h"

using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::NanSensitiveFloatEq;
using ::testing::Pointwise;

namespace {

using Names = std::vector<std::string>;
using Floats = std::vector<float>;

const char* kMaterialsElement = "00000000-0000-0000-0000-000000000000";
// The swatch offset, in centimetres.
constexpr float kD = 0.0051205293f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const Floats kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A float of the call log: a number, or "nan", "inf", "-inf".
float F(const json& value) {
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    if (text == "nan") return kNaN;
    return text == "-inf" ? -std::numeric_limits<float>::infinity()
                          : std::numeric_limits<float>::infinity();
  }
  return value.get<float>();
}

Floats FloatsOf(const json& array) {
  Floats values;
  for (const json& v : array) values.push_back(F(v));
  return values;
}

Floats Head(const json& array, size_t count) {
  Floats values = FloatsOf(array);
  values.resize(count);
  return values;
}

// The calls of the host's command thread, which makes the first call of a run
// (the view-sync threads come later and log under numbers of their own).
std::vector<json> CommandThreadCalls(const HostRun& run) {
  std::vector<json> calls;
  if (run.calls.empty()) return calls;
  const json thread = run.calls.front()["thread"];
  for (const json& call : run.calls)
    if (call["thread"] == thread) calls.push_back(call);
  return calls;
}

// Each send on the command thread: the calls after a Connect up to and
// including the DisConnect that ends it.
std::vector<std::vector<json>> Sends(const HostRun& run) {
  std::vector<std::vector<json>> sends;
  bool open = false;
  for (const json& call : CommandThreadCalls(run)) {
    if (call["fn"] == "Connect") {
      sends.emplace_back();
      open = true;
    } else if (open) {
      sends.back().push_back(call);
      if (call["fn"] == "DisConnect") open = false;
    }
  }
  return sends;
}

Names FnNames(const std::vector<json>& calls) {
  Names names;
  for (const json& call : calls) names.push_back(call["fn"]);
  return names;
}

std::vector<json> Only(const std::vector<json>& calls, const std::string& fn) {
  std::vector<json> found;
  for (const json& call : calls)
    if (call["fn"] == fn) found.push_back(call);
  return found;
}

Names Texts(const std::vector<json>& calls, const std::string& fn, const std::string& field) {
  Names texts;
  for (const json& call : Only(calls, fn)) texts.push_back(call[field]);
  return texts;
}

struct Element {
  std::string id;
  std::vector<json> calls;  // between BeginElement and EndElement
};

std::vector<Element> Elements(const std::vector<json>& send) {
  std::vector<Element> elements;
  bool open = false;
  for (const json& call : send) {
    if (call["fn"] == "BeginElement") {
      elements.push_back({call["id"], {}});
      open = true;
    } else if (call["fn"] == "EndElement") {
      open = false;
    } else if (open) {
      elements.back().calls.push_back(call);
    }
  }
  return elements;
}

Names Ids(const std::vector<Element>& elements) {
  Names ids;
  for (const Element& e : elements) ids.push_back(e.id);
  return ids;
}

std::string Console(const HostRun& run) {
  // Everything after the load banner.
  const size_t end = run.out.find('\n');
  return end == std::string::npos ? run.out : run.out.substr(end + 1);
}

// A saved document in the given units; tests add its lists.
json Doc(const std::string& units) { return {{"path", "D:/projects/model.3dm"}, {"units", units}}; }

json V(double x, double y, double z) { return json::array({x, y, z}); }

// A triangle whose first vertex is (x, y, z), one upward normal per vertex.
json Triangle(double x, double y, double z) {
  return {{"vertices", json::array({V(x, y, z), V(x + 1, y, z), V(x, y + 1, z)})},
          {"normals", json::array({V(0, 0, 1), V(0, 0, 1), V(0, 0, 1)})},
          {"faces", json::array({json::array({0, 1, 2})})}};
}

json MeshObject(const std::string& id, const std::string& name, double x, double y, double z) {
  return {{"id", id}, {"name", name}, {"mesh", Triangle(x, y, z)}};
}

// A part of a definition or a face of a polysurface: a mesh and, unless
// empty, its material.
json Part(const std::string& material, const json& mesh) {
  json part = {{"mesh", mesh}};
  if (!material.empty()) part["material"] = material;
  return part;
}

json Definition(const std::string& id, const json& objects) {
  return {{"id", id}, {"objects", objects}};
}

json Translation(double x, double y, double z) {
  return json::array({1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1});
}

json Reference(const std::string& id, const std::string& definition, const json& xform) {
  return {{"id", id}, {"instance", {{"definition", definition}, {"xform", xform}}}};
}

json PhysicallyBasedRed(const std::string& id) {
  json red = json::parse(R"({"name": "Red", "pbr": {"base_color": [1, 0, 0],
    "emission": [0, 0, 0], "opacity": 1.0, "roughness": 0.5, "metallic": 0.0,
    "specular": 0.5, "opacity_ior": 1.5}})");
  red["id"] = id;
  return red;
}

json BasicMaterial(const std::string& id, const std::string& name) {
  return {{"id", id}, {"name", name}, {"diffuse", json::array({200, 100, 50})}};
}

const char* kRedRecord =
    "<Material><Name>Red</Name><Type>Custom</Type><Opacity>1.000000</Opacity>"
    "<DiffuseColor>#FF0000</DiffuseColor><EmissiveColor>#000000</EmissiveColor>"
    "<EmissiveStrength>0.0</EmissiveStrength><TintColor>#FFFFFF</TintColor>"
    "<Roughness>0.500000</Roughness><BumpAmount>1.0</BumpAmount><Metallic>0.000000</Metallic>"
    "<Specular>0.166667</Specular><IndexOfRefraction>1.500000</IndexOfRefraction>"
    "<IsSolidGlass>false</IsSolidGlass><TextureWidth>1.0</TextureWidth>"
    "<TextureHeight>1.0</TextureHeight></Material>";

const char* kBumpedRedRecord =
    "<Material><Name>Red</Name><Type>Custom</Type><Opacity>1.000000</Opacity>"
    "<DiffuseColor>#FF0000</DiffuseColor><EmissiveColor>#000000</EmissiveColor>"
    "<EmissiveStrength>0.0</EmissiveStrength><TintColor>#FFFFFF</TintColor>"
    "<Roughness>0.500000</Roughness><BumpAmount>3.000000</BumpAmount>"
    "<Metallic>0.000000</Metallic><Specular>0.166667</Specular>"
    "<IndexOfRefraction>1.500000</IndexOfRefraction><IsSolidGlass>false</IsSolidGlass>"
    "<TextureWidth>1.0</TextureWidth><TextureHeight>1.0</TextureHeight>"
    R"(<BumpTexture><Filepath>D:\maps\bump.png</Filepath><Brightness>0.300000</Brightness>)"
    "<UseExplicitTransformation>false</UseExplicitTransformation></BumpTexture></Material>";

}  // namespace

// --- The materials element -------------------------------------------------------------

TEST(MaterialsElementTest, RedAndBumpedRedRecordsArriveByteForByte) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json bumped = PhysicallyBasedRed("22220000-0000-4000-8000-000000000002");
  bumped["textures"] = json::array({{{"type", 2},
                                     {"on", true},
                                     {"path", R"(D:\maps\bump.png)"},
                                     {"amount", 0.3},
                                     {"uvw", kIdentity}}});
  json doc = Doc("millimeters");
  doc["materials"] =
      json::array({PhysicallyBasedRed("11110000-0000-4000-8000-000000000001"), bumped});
  const HostRun run = sandbox.RunDocument(doc, {kStart});
  const auto materials = run.Calls("AddMaterial");
  ASSERT_EQ(materials.size(), 2u);
  EXPECT_EQ(materials[0]["key"], "Red_1111");
  EXPECT_EQ(materials[0]["record"], kRedRecord);
  EXPECT_EQ(materials[1]["key"], "Red_2222");
  EXPECT_EQ(materials[1]["record"], kBumpedRedRecord);
}

TEST(MaterialsElementTest, TwoMaterialsEachGetASwatchAtTheFirstObjectPlacedOnce) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = Doc("millimeters");
  doc["materials"] = json::array({BasicMaterial("40270000-0000-4000-8000-000000000001", "Glass"),
                                  PhysicallyBasedRed("11110000-0000-4000-8000-000000000002")});
  // The first meshable object spans (0, 10, 20) to (20, 30, 40) mm: its centre
  // (10, 20, 30) mm anchors the swatches at (1, 2, 3) cm, X and Y exchanged.
  json box = {{"id", "0a000001-0000-4000-8000-000000000001"},
              {"mesh",
               {{"vertices", json::array({V(0, 10, 20), V(20, 10, 20), V(20, 30, 40)})},
                {"faces", json::array({json::array({0, 1, 2})})}}}};
  doc["objects"] =
      json::array({box, MeshObject("0a000002-0000-4000-8000-000000000002", "later", 500, 0, 0)});
  const HostRun run = sandbox.RunDocument(doc, {kStart});
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 1u);
  const std::vector<json>& send = sends[0];
  const Names names = FnNames(send);
  ASSERT_GE(names.size(), 10u);
  // A new model, then the materials element replacing any earlier one.
  EXPECT_THAT(Names(names.begin(), names.begin() + 10),
              ElementsAre("CreateModel", "DeleteElement", "BeginElement", "AddMaterial", "AddMesh",
                          "AddInstance", "AddMaterial", "AddMesh", "AddInstance", "EndElement"));
  EXPECT_EQ(send[1]["id"], kMaterialsElement);
  EXPECT_EQ(send[2]["id"], kMaterialsElement);
  EXPECT_EQ(send[3]["key"], "Glass_4027");
  EXPECT_EQ(send[6]["key"], "Red_1111");
  EXPECT_NE(send[3]["record"].get<std::string>().find("<DiffuseColor>#C86432</DiffuseColor>"),
            std::string::npos);
  const Floats swatch = {2, 1, 3, 2 + kD, 1, 3, 2, 1 + kD, 3};
  for (int i : {3, 6}) {
    const std::string key = send[i]["key"];
    const json& mesh = send[i + 1];
    EXPECT_EQ(mesh["name"], key);
    EXPECT_EQ(FloatsOf(mesh["positions"]), swatch);
    EXPECT_EQ(FloatsOf(mesh["normals"]), (Floats{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(FloatsOf(mesh["uvs"]), Floats(6, 0.0f));
    EXPECT_EQ(mesh["extra"], nullptr);
    EXPECT_EQ(mesh["indices"], json::array({0, 1, 2}));
    const json& placement = send[i + 2];
    EXPECT_EQ(placement["mesh"], key);
    EXPECT_EQ(placement["material"], key);
    EXPECT_EQ(FloatsOf(placement["transform"]), kIdentity);
  }
}

TEST(MaterialsElementTest, OnlyListedMaterialsAndTheFirstOfSharedLeadingDigitsAreSent) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json unlisted = BasicMaterial("99990000-0000-4000-8000-000000000004", "Unlisted");
  unlisted["rdk"] = false;
  json doc = Doc("meters");
  doc["materials"] =
      json::array({BasicMaterial("12345678-0000-4000-8000-000000000001", "First"),
                   BasicMaterial("12345678-1111-4000-8000-000000000002", "Second"), unlisted,
                   BasicMaterial("87654321-0000-4000-8000-000000000003", "Third")});
  const HostRun run = sandbox.RunDocument(doc, {kStart});
  EXPECT_THAT(Texts(run.calls, "AddMaterial", "key"), ElementsAre("First_1234", "Third_8765"));
  EXPECT_THAT(Texts(run.calls, "AddMesh", "name"), ElementsAre("First_1234", "Third_8765"));
  // No meshable object: the swatches sit at the origin.
  EXPECT_EQ(FloatsOf(run.Calls("AddMesh")[0]["positions"]), (Floats{0, 0, 0, kD, 0, 0, 0, kD, 0}));
}

// --- Object elements ---------------------------------------------------------------------

TEST(ObjectElementsTest, HiddenDeletedAndBlockReferenceObjectsGetNoElement) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::string block = "0d000001-0000-4000-8000-000000000001";
  json locked = MeshObject("0a000002-0000-4000-8000-000000000002", "locked", 0, 0, 0);
  locked["state"] = "locked";
  json hidden = MeshObject("0a000003-0000-4000-8000-000000000003", "hidden", 0, 0, 0);
  hidden["state"] = "hidden";
  json deleted = MeshObject("0a000004-0000-4000-8000-000000000004", "deleted", 0, 0, 0);
  deleted["state"] = "deleted";
  json doc = Doc("millimeters");
  doc["instance_definitions"] =
      json::array({Definition(block, json::array({Part("", Triangle(0, 0, 0))}))});
  doc["objects"] = json::array(
      {MeshObject("0a000001-0000-4000-8000-000000000001", "normal", 0, 0, 0), locked, hidden,
       deleted, Reference("0c000001-0000-4000-8000-000000000001", block, Translation(0, 0, 0))});
  const HostRun run = sandbox.RunDocument(doc, {kStart});
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_THAT(Ids(Elements(sends[0])),
              ElementsAre(kMaterialsElement, "0a000001-0000-4000-8000-000000000001",
                          "0a000002-0000-4000-8000-000000000002", block));
  EXPECT_THAT(Texts(sends[0], "DeleteElement", "id"), ElementsAre(kMaterialsElement));
}

TEST(ObjectElementsTest, PolysurfaceFaceMaterialsAndTheDeferredPathKeyTheirMeshesDifferently) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::string red = "11110000-0000-4000-8000-000000000001";
  const std::string glass = "33330000-0000-4000-8000-000000000003";
  const std::string unnamed = "44440000-0000-4000-8000-000000000004";
  const std::string paint = "55550000-0000-4000-8000-000000000005";
  json doc = Doc("meters");
  doc["materials"] = json::array({BasicMaterial(red, "Red"), BasicMaterial(glass, "Glass"),
                                  BasicMaterial(unnamed, ""), BasicMaterial(paint, "Paint")});
  doc["layers"] = json::array(
      {{{"id", "1a000001-0000-4000-8000-000000000001"}, {"name", "Walls"}, {"material", paint}}});
  // An object wearing an unnamed material takes its layer's key.
  json unnamedMesh = MeshObject("0a000001-0000-4000-8000-000000000001", "m", 0, 0, 0);
  unnamedMesh["material"] = unnamed;
  // Face materials: one element, one mesh per face, each with its key; a face
  // without a material wears the object's, an unnamed one gives no key.
  json withFaces = {
      {"id", "0a000002-0000-4000-8000-000000000002"},
      {"material", red},
      {"faces", json::array({Part(glass, Triangle(0, 0, 1)), Part("", Triangle(0, 0, 2)),
                             Part(unnamed, Triangle(0, 0, 3))})}};
  // No face materials: the deferred path, one joined render mesh.
  json plain = {{"id", "0a000003-0000-4000-8000-000000000003"},
                {"material", glass},
                {"faces", json::array({Part("", Triangle(0, 0, 4)), Part("", Triangle(0, 0, 5))})}};
  doc["objects"] = json::array({unnamedMesh, withFaces, plain});
  const HostRun run = sandbox.RunDocument(doc, {kStart});
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 1u);
  const std::vector<Element> elements = Elements(sends[0]);
  // Objects with face materials go out during the walk, the others after it.
  ASSERT_THAT(Ids(elements), ElementsAre(kMaterialsElement, "0a000002-0000-4000-8000-000000000002",
                                         "0a000001-0000-4000-8000-000000000001",
                                         "0a000003-0000-4000-8000-000000000003"));

  const std::vector<json>& faces = elements[1].calls;
  EXPECT_THAT(FnNames(faces), ElementsAre("AddMesh", "AddInstance", "AddMesh", "AddInstance",
                                          "AddMesh", "AddInstance"));
  EXPECT_THAT(Texts(faces, "AddMesh", "name"), ElementsAre("0", "1", "2"));
  EXPECT_THAT(Texts(faces, "AddInstance", "mesh"), ElementsAre("0", "1", "2"));
  EXPECT_THAT(Texts(faces, "AddInstance", "material"), ElementsAre("Glass_3333", "Red_1111", ""));
  // Each face in world position, X and Y exchanged, in centimetres.
  EXPECT_EQ(FloatsOf(Only(faces, "AddMesh")[1]["positions"]),
            (Floats{0, 0, 200, 0, 100, 200, 100, 0, 200}));
  for (const json& placement : Only(faces, "AddInstance"))
    EXPECT_EQ(FloatsOf(placement["transform"]), kIdentity);

  EXPECT_THAT(Texts(elements[2].calls, "AddMesh", "name"), ElementsAre("3"));
  EXPECT_THAT(Texts(elements[2].calls, "AddInstance", "material"), ElementsAre("Paint_5555"));

  const std::vector<json> joined = Only(elements[3].calls, "AddMesh");
  ASSERT_EQ(joined.size(), 1u);
  EXPECT_EQ(joined[0]["name"], "4");
  EXPECT_EQ(FloatsOf(joined[0]["positions"]),
            (Floats{0, 0, 400, 0, 100, 400, 100, 0, 400, 0, 0, 500, 0, 100, 500, 100, 0, 500}));
  EXPECT_EQ(joined[0]["indices"], json::array({0, 1, 2, 3, 4, 5}));
  EXPECT_THAT(Texts(elements[3].calls, "AddInstance", "material"), ElementsAre("Glass_3333"));
}

// --- Block definitions -------------------------------------------------------------------

TEST(BlockDefinitionTest, ThreeMeshesOncePlacedForEachVisibleReference) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::string red = "11110000-0000-4000-8000-000000000001";
  const std::string glass = "33330000-0000-4000-8000-000000000003";
  const std::string unnamed = "44440000-0000-4000-8000-000000000004";
  const std::string block = "0d000001-0000-4000-8000-000000000001";
  const std::string unused = "0d000002-0000-4000-8000-000000000002";
  const std::string hiddenBlock = "0d000003-0000-4000-8000-000000000003";
  json doc = Doc("meters");
  doc["materials"] = json::array(
      {BasicMaterial(red, "Red"), BasicMaterial(glass, "Glass"), BasicMaterial(unnamed, "")});
  json hiddenDefinition = Definition(hiddenBlock, json::array({Part("", Triangle(0, 0, 0))}));
  hiddenDefinition["hidden"] = true;
  doc["instance_definitions"] = json::array(
      {Definition(block, json::array({Part(red, Triangle(0, 0, 0)), Part(glass, Triangle(0, 0, 1)),
                                      Part(unnamed, Triangle(0, 0, 2))})),
       // Without references, or hidden: not sent.
       Definition(unused, json::array({Part("", Triangle(0, 0, 0))})), hiddenDefinition});
  // A quarter turn about Z, then 2 m along Y.
  const json quarterTurn = json::array({0, -1, 0, 0, 1, 0, 0, 2, 0, 0, 1, 0, 0, 0, 0, 1});
  json hiddenReference =
      Reference("0c000003-0000-4000-8000-000000000003", block, Translation(5, 0, 0));
  hiddenReference["state"] = "hidden";
  doc["objects"] = json::array(
      {Reference("0c000001-0000-4000-8000-000000000001", block, Translation(1, 0, 0)),
       Reference("0c000002-0000-4000-8000-000000000002", block, quarterTurn), hiddenReference,
       Reference("0c000004-0000-4000-8000-000000000004", hiddenBlock, Translation(0, 0, 0))});
  const HostRun run = sandbox.RunDocument(doc, {kStart});
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 1u);
  const std::vector<Element> elements = Elements(sends[0]);
  ASSERT_THAT(Ids(elements), ElementsAre(kMaterialsElement, block));
  const std::vector<json>& calls = elements[1].calls;
  ASSERT_THAT(FnNames(calls),
              ElementsAre("AddMesh", "AddMesh", "AddMesh", "AddInstance", "AddInstance",
                          "AddInstance", "AddInstance", "AddInstance", "AddInstance"));
  // Definition coordinates in the model's axes, normals turned over.
  EXPECT_EQ(FloatsOf(calls[0]["positions"]), (Floats{0, 0, 0, 100, 0, 0, 0, 100, 0}));
  EXPECT_EQ(FloatsOf(calls[2]["positions"]), (Floats{0, 0, 200, 100, 0, 200, 0, 100, 200}));
  EXPECT_EQ(FloatsOf(calls[0]["normals"]), (Floats{0, 0, -1, 0, 0, -1, 0, 0, -1}));
  EXPECT_THAT(Texts(calls, "AddMesh", "name"), ElementsAre("0", "1", "2"));
  EXPECT_THAT(Texts(calls, "AddInstance", "mesh"), ElementsAre("0", "1", "2", "0", "1", "2"));
  // Here an unnamed material keeps its key.
  EXPECT_THAT(Texts(calls, "AddInstance", "material"),
              ElementsAre("Red_1111", "Glass_3333", "_4444", "Red_1111", "Glass_3333", "_4444"));
  const Floats translated = {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 100, 0, 1};
  const Floats turned = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 200, 0, 0, 1};
  for (int i = 3; i < 6; ++i) EXPECT_EQ(FloatsOf(calls[i]["transform"]), translated) << i;
  for (int i = 6; i < 9; ++i) EXPECT_EQ(FloatsOf(calls[i]["transform"]), turned) << i;
}

// --- Units -------------------------------------------------------------------------------

namespace {

// A mesh object with the vertex (1, 2, 3) and a block reference moved by (1, 0, 0).
json UnitsDocument(const std::string& units) {
  const std::string block = "0d000001-0000-4000-8000-000000000001";
  json doc = Doc(units);
  doc["instance_definitions"] =
      json::array({Definition(block, json::array({Part("", Triangle(0, 0, 0))}))});
  doc["objects"] =
      json::array({MeshObject("0a000001-0000-4000-8000-000000000001", "mesh", 1, 2, 3),
                   Reference("0c000001-0000-4000-8000-000000000001", block, Translation(1, 0, 0))});
  return doc;
}

struct UnitsCase {
  const char* units;
  Floats vertex;       // (1, 2, 3) as sent
  Floats translation;  // floats 12 to 14 of the reference's transform
};

void PrintTo(const UnitsCase& c, std::ostream* out) { *out << c.units; }

}  // namespace

class UnitsTest : public ::testing::TestWithParam<UnitsCase> {};

TEST_P(UnitsTest, EveryLengthIsSentInCentimetres) {
  const UnitsCase c = GetParam();
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(UnitsDocument(c.units), {kStart});
  const auto meshes = run.Calls("AddMesh");
  ASSERT_EQ(meshes.size(), 2u);
  EXPECT_THAT(Head(meshes[0]["positions"], 3), Pointwise(NanSensitiveFloatEq(), c.vertex));
  const auto placements = run.Calls("AddInstance");
  ASSERT_EQ(placements.size(), 2u);
  const Floats transform = FloatsOf(placements[1]["transform"]);
  ASSERT_EQ(transform.size(), 16u);
  EXPECT_THAT(Floats(transform.begin() + 12, transform.begin() + 15),
              Pointwise(NanSensitiveFloatEq(), c.translation));
  // The log writes a non-finite value as text.
  if (std::isnan(c.vertex[0])) {
    EXPECT_EQ(meshes[0]["positions"][0], "nan");
    EXPECT_EQ(placements[1]["transform"][13], "nan");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Units, UnitsTest,
    ::testing::Values(UnitsCase{"millimeters", {0.2f, 0.1f, 0.3f}, {0, 0.1f, 0}},
                      UnitsCase{"meters", {200, 100, 300}, {0, 100, 0}},
                      // No units are metres, as openNURBS scales them; feet by its own factor.
                      UnitsCase{"none", {200, 100, 300}, {0, 100, 0}},
                      UnitsCase{"feet", {60.96f, 30.48f, 91.44f}, {0, 30.48f, 0}},
                      UnitsCase{"unset", {kNaN, kNaN, kNaN}, {kNaN, kNaN, kNaN}}),
    [](const ::testing::TestParamInfo<UnitsCase>& info) { return std::string(info.param.units); });

// --- Link cycles and a bridge without CreateModel ----------------------------------------

TEST(FullSendTest, TwoStartStopCyclesMakeTwoModelsAndMeshNamesContinue) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = Doc("millimeters");
  doc["objects"] = json::array({MeshObject("0a000001-0000-4000-8000-000000000001", "a", 0, 0, 0),
                                MeshObject("0a000002-0000-4000-8000-000000000002", "b", 5, 0, 0)});
  const HostRun run = sandbox.RunDocument(doc, {kStart, kStop, kStart, kStop});
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const int model = static_cast<int>(i) + 1;
    ASSERT_GE(sends[i].size(), 3u);
    EXPECT_EQ(sends[i].front()["fn"], "CreateModel");
    EXPECT_EQ(sends[i].front()["result"], model);
    const Names names = FnNames(sends[i]);
    EXPECT_THAT(Names(names.end() - 3, names.end()),
                ElementsAre("OptimizeModel", "StartSend", "DisConnect"));
    for (const json& call : sends[i])
      if (call.contains("model")) {
        EXPECT_EQ(call["model"], model) << call.dump();
      }
  }
  EXPECT_THAT(Texts(sends[0], "AddMesh", "name"), ElementsAre("0", "1"));
  EXPECT_THAT(Texts(sends[1], "AddMesh", "name"), ElementsAre("2", "3"));
  const auto destroyed = run.Calls("DestroyModel");
  ASSERT_EQ(destroyed.size(), 2u);
  EXPECT_EQ(destroyed[0]["model"], 1);
  EXPECT_EQ(destroyed[1]["model"], 2);
  EXPECT_EQ(Console(run),
            "OrvexConverter: Success\nOrvexConverter: Success\n"
            "OrvexConverter: Success\nOrvexConverter: Success\n");
}

TEST(FullSendTest, BridgeWithoutCreateModelSendsIntoModelZeroAndNeverStartsTheTransfer) {
  HostSandbox sandbox("no_CreateModel");
  sandbox.RememberRenderer();
  json doc = Doc("millimeters");
  doc["materials"] = json::array({BasicMaterial("11110000-0000-4000-8000-000000000001", "Red")});
  doc["objects"] = json::array({MeshObject("0a000001-0000-4000-8000-000000000001", "a", 0, 0, 0)});
  const HostRun run = sandbox.RunDocument(doc, {kStart});
  EXPECT_THAT(run.BoxTexts(), ElementsAre("Get dll func error"));
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 1u);
  // Materials element (delete, begin, material, swatch, placement), the
  // object's begin, mesh and placement, the optimisation: all into model 0.
  EXPECT_THAT(FnNames(sends[0]),
              ElementsAre("DeleteElement", "BeginElement", "AddMaterial", "AddMesh", "AddInstance",
                          "EndElement", "BeginElement", "AddMesh", "AddInstance", "EndElement",
                          "OptimizeModel", "DisConnect"));
  for (const json& call : sends[0])
    if (call.contains("model")) {
      EXPECT_EQ(call["model"], 0) << call.dump();
    }
  EXPECT_TRUE(run.Calls("StartSend").empty());
  // The line has no console prefix; the link still counts as made.
  EXPECT_EQ(Console(run), "model is null\nOrvexConverter: Success\n");
}

// --- The model update --------------------------------------------------------------------

TEST(ModelUpdateTest, SendModelReconnectsResendsIntoTheSameModelAndSendsTheCameraOnce) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = Doc("millimeters");
  doc["materials"] = json::array({BasicMaterial("11110000-0000-4000-8000-000000000001", "Red")});
  doc["objects"] = json::array({MeshObject("0a000001-0000-4000-8000-000000000001", "a", 0, 0, 0)});
  doc["view"] = json::parse(R"({"projection": "perspective", "location": [1000, 2000, 3000],
    "direction": [0, 0, -1], "up": [0, 1, 0], "target": [1000, 2000, 0]})");
  const HostRun run = sandbox.RunDocument(doc, {kStart, kSendModel});
  const std::vector<json> calls = CommandThreadCalls(run);
  // The update begins with the second Connect on the command thread.
  size_t connect = 0;
  for (size_t i = 0, seen = 0; i < calls.size(); ++i)
    if (calls[i]["fn"] == "Connect" && ++seen == 2) connect = i;
  ASSERT_GT(connect, 0u);
  const std::vector<json> update(calls.begin() + static_cast<long>(connect), calls.end());
  ASSERT_THAT(FnNames(update),
              ElementsAre("Connect", "HasConnected", "DeleteElement", "BeginElement", "AddMaterial",
                          "AddMesh", "AddInstance", "EndElement", "BeginElement", "AddMesh",
                          "AddInstance", "EndElement", "OptimizeModel", "StartSend", "DisConnect",
                          "SetOrvexRenderPath", "SetCameraTransformFov"));
  // The connect wrapper waits before asking.
  EXPECT_GE(update[1]["ms"].get<double>() - update[0]["ms"].get<double>(), 1450.0);
  for (const json& call : update)
    if (call.contains("model")) {
      EXPECT_EQ(call["model"], 1) << call.dump();
    }
  EXPECT_EQ(run.Calls("CreateModel").size(), 1u);
  EXPECT_EQ(update[2]["id"], kMaterialsElement);
  EXPECT_EQ(update[8]["id"], "0a000001-0000-4000-8000-000000000001");
  EXPECT_EQ(update[9]["name"], "1");  // the full send's mesh was "0"
  // The camera at (1000, 2000, 3000) mm is at (200, 100, 300) cm in the
  // renderer's axes; it looks down, Y up.
  EXPECT_EQ(FloatsOf(update[16]["camera"]), (Floats{200, 100, 300, 0, 0, -1, 1, 0, 0}));
  EXPECT_EQ(Console(run), "OrvexConverter: Success\nOrvexConverter: Success\n");
  EXPECT_TRUE(run.Events("message_box").empty());
}

TEST(ModelUpdateTest, HiddenAndDeletedObjectsAreWithdrawnAndAShownOneIsSentAgain) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::string a = "0a000001-0000-4000-8000-000000000001";
  const std::string b = "0a000002-0000-4000-8000-000000000002";
  const std::string c = "0a000003-0000-4000-8000-000000000003";
  const std::string d = "0a000004-0000-4000-8000-000000000004";
  json shown = MeshObject(c, "c", 0, 0, 0);
  shown["state"] = "hidden";
  json doc = Doc("millimeters");
  doc["objects"] = json::array({MeshObject(a, "a", 0, 0, 0), MeshObject(b, "b", 0, 0, 0), shown,
                                MeshObject(d, "d", 0, 0, 0)});
  const HostRun run =
      sandbox.RunDocument(doc, {kStart, "Hide a", "Delete " + b, "Show c", "Lock d", kSendModel});
  ASSERT_EQ(run.exitCode, 0);
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 2u);
  EXPECT_THAT(Ids(Elements(sends[0])), ElementsAre(kMaterialsElement, a, b, d));
  EXPECT_THAT(Texts(sends[0], "AddMesh", "name"), ElementsAre("0", "1", "2"));

  // The update withdraws a and b after the materials element and sends c and
  // the locked d again under their ids, with new mesh names.
  EXPECT_THAT(Texts(sends[1], "DeleteElement", "id"), ElementsAre(kMaterialsElement, a, b));
  EXPECT_THAT(Ids(Elements(sends[1])), ElementsAre(kMaterialsElement, c, d));
  EXPECT_THAT(Texts(sends[1], "AddMesh", "name"), ElementsAre("3", "4"));
  EXPECT_EQ(Console(run), "OrvexConverter: Success\nOrvexConverter: Success\n");
}

TEST(ModelUpdateTest, ObjectsOnALayerTurnedOffAreWithdrawnAndOnALockedLayerSentAgain) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::string a = "0a000001-0000-4000-8000-000000000001";
  const std::string d = "0a000004-0000-4000-8000-000000000004";
  const std::string e = "0a000005-0000-4000-8000-000000000005";
  json doc = Doc("millimeters");
  doc["layers"] = json::parse(R"([{"name": "Default"}, {"name": "walls"}, {"name": "roof"},
      {"name": "site"}, {"name": "porch", "parent": "site"}])");
  json onWalls = MeshObject(a, "a", 0, 0, 0), onRoof = MeshObject(d, "d", 0, 0, 0);
  json onPorch = MeshObject(e, "e", 0, 0, 0);  // under a layer turned off
  onWalls["layer"] = "walls";
  onRoof["layer"] = "roof";
  onPorch["layer"] = "porch";
  doc["objects"] = json::array({onWalls, onRoof, onPorch});
  const HostRun run =
      sandbox.RunDocument(doc, {kStart, "Hide walls", "Hide site", "Lock roof", kSendModel});
  ASSERT_EQ(run.exitCode, 0);
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 2u);
  EXPECT_THAT(Ids(Elements(sends[0])), ElementsAre(kMaterialsElement, a, d, e));
  EXPECT_THAT(Texts(sends[1], "DeleteElement", "id"), ElementsAre(kMaterialsElement, a, e));
  EXPECT_THAT(Ids(Elements(sends[1])), ElementsAre(kMaterialsElement, d));
}

TEST(ModelUpdateTest, UnitsChangedSinceTheFullSendApplyToTheUpdate) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = UnitsDocument("millimeters");
  doc["view"] = json::parse(R"({"projection": "perspective", "location": [1, 2, 3],
    "direction": [0, 0, -1], "up": [0, 1, 0], "target": [1, 2, 0]})");
  const HostRun run = sandbox.RunDocument(doc, {kStart, "Units meters", kSendModel});
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 2u);
  struct Expected {
    Floats vertex, block, translation;
  };
  const Expected expected[2] = {
      {{0.2f, 0.1f, 0.3f}, {0, 0, 0, 0.1f, 0, 0, 0, 0.1f, 0}, {0, 0.1f, 0}},
      {{200, 100, 300}, {0, 0, 0, 100, 0, 0, 0, 100, 0}, {0, 100, 0}}};
  for (size_t i = 0; i < 2; ++i) {
    const auto meshes = Only(sends[i], "AddMesh");
    ASSERT_EQ(meshes.size(), 2u) << i;
    EXPECT_EQ(Head(meshes[0]["positions"], 3), expected[i].vertex) << i;
    EXPECT_EQ(FloatsOf(meshes[1]["positions"]), expected[i].block) << i;
    const Floats transform = FloatsOf(Only(sends[i], "AddInstance").back()["transform"]);
    ASSERT_EQ(transform.size(), 16u);
    EXPECT_EQ(Floats(transform.begin() + 12, transform.begin() + 15), expected[i].translation) << i;
  }
  // The camera sent after the update is in the new units too.
  const auto cameras = Only(CommandThreadCalls(run), "SetCameraTransformFov");
  ASSERT_EQ(cameras.size(), 1u);
  EXPECT_EQ(Head(cameras[0]["camera"], 3), (Floats{200, 100, 300}));
}

TEST(ModelUpdateTest, LostModelShowsTheBoxWithoutABridgeCallAndEndsTheLink) {
  HostSandbox sandbox("no_CreateModel");
  sandbox.RememberRenderer();
  json doc = Doc("millimeters");
  doc["objects"] = json::array({MeshObject("0a000001-0000-4000-8000-000000000001", "a", 0, 0, 0)});
  for (const auto& [lang, text] : {std::pair<std::string, std::string>{"en", "null ptr of model"},
                                   {"zh", "未找到建立连接的模型,请尝试开启连接后进行更新."}}) {
    const HostRun run = sandbox.RunDocument(doc, {"--lang", lang, kStart, kSendModel, kStop});
    const auto boxes = run.Events("message_box");
    ASSERT_EQ(boxes.size(), 2u) << lang;  // the Start's missing export, then this one
    EXPECT_EQ(boxes[1]["text"], text);
    EXPECT_EQ(boxes[1]["caption"], "error");
    EXPECT_EQ(boxes[1]["flags"], 4096);
    // Nothing reached the bridge after the full send, and no model was destroyed.
    const std::vector<json> calls = CommandThreadCalls(run);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back()["fn"], "DisConnect");
    EXPECT_EQ(run.Calls("Connect").size(), 1u);
    EXPECT_TRUE(run.Calls("DestroyModel").empty());
    // The update unlinked: Stop finds nothing to stop.
    EXPECT_EQ(Console(run),
              "model is null\nOrvexConverter: Success\nOrvexConverter: Not Connected!\n");
  }
}

TEST(ModelUpdateTest, RendererThatDoesNotReportTheLinkEndsItSilently) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = Doc("millimeters");
  doc["objects"] = json::array({MeshObject("0a000001-0000-4000-8000-000000000001", "a", 0, 0, 0)});
  const HostRun run =
      sandbox.RunDocument(doc, {kStart, kSendModel, kStop}, {{"ORVEX_BRIDGE_HAS_CONNECTED", "0"}});
  const std::vector<json> calls = CommandThreadCalls(run);
  const Names names = FnNames(calls);
  const auto asked = std::find(names.begin(), names.end(), "HasConnected");
  ASSERT_NE(asked, names.end());
  EXPECT_EQ(calls[static_cast<size_t>(asked - names.begin())]["result"], false);
  // After the refusal only the Stop flow's DestroyModel of the full send's model.
  EXPECT_THAT(Names(asked + 1, names.end()), ElementsAre("DestroyModel"));
  EXPECT_EQ(calls.back()["model"], 1);
  EXPECT_TRUE(run.Events("message_box").empty());
  EXPECT_EQ(Console(run), "OrvexConverter: Success\nOrvexConverter: Not Connected!\n");
}

// --- The bundled example -----------------------------------------------------------------

TEST(ExampleDocumentTest, HouseSendsTexturedMaterialsAPolysurfaceAndABlockWithReferences) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run = sandbox.Run(
      {"--doc", std::string(ORVEX_SOURCE_DIR) + "/examples/house.orvexdoc.json", kStart});
  const auto sends = Sends(run);
  ASSERT_EQ(sends.size(), 1u);
  const auto materials = Only(sends[0], "AddMaterial");
  EXPECT_GE(materials.size(), 3u);
  int textured = 0;
  for (const json& m : materials)
    if (m["record"].get<std::string>().find("<DiffuseTexture>") != std::string::npos) ++textured;
  EXPECT_GE(textured, 1);

  // A polysurface with a face material: one element whose meshes wear
  // different keys. A block: its meshes once, then placed once per visible
  // reference, at least twice.
  bool polysurface = false;
  bool block = false;
  for (const Element& e : Elements(sends[0])) {
    if (e.id == kMaterialsElement) continue;
    const Names keys = Texts(e.calls, "AddInstance", "material");
    const size_t meshes = Only(e.calls, "AddMesh").size();
    const std::set<std::string> distinct(keys.begin(), keys.end());
    if (meshes >= 2 && keys.size() == meshes && distinct.size() >= 2) polysurface = true;
    if (meshes >= 2 && keys.size() >= 2 * meshes && keys.size() % meshes == 0) block = true;
  }
  EXPECT_TRUE(polysurface);
  EXPECT_TRUE(block);
}
