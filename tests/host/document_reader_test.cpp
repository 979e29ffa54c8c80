#include "document_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "document_trees.h"
#include "sdk_values.h"
#include "tests/support/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

DocumentReadResult Read(const std::string& text) {
  return ReadDocumentText(text, "house.orvexdoc.json", L"/work/house.orvexdoc.json");
}

}  // namespace

TEST(DocumentReaderTest, ReadsEverySection) {
  const DocumentReadResult result = Read(R"({
    "path": "D:/projects/house.3dm", "units": "meters",
    "materials": [{"id": "40270000-0000-4000-8000-000000000001", "name": "Glass",
                   "diffuse": [10, 20, 30, 40], "transparency": 0.5, "rdk": false,
                   "textures": [{"type": 2, "on": false, "path": "D:/b.png", "amount": 0.3}]},
                  {"id": "40270000-0000-4000-8000-000000000002", "name": "Red",
                   "pbr": {"base_color": [1, 0, 0], "roughness": 0.25}}],
    "layers": [{"id": "aa000001-0000-4000-8000-0000000000a1", "name": "Walls",
                "material": "40270000-0000-4000-8000-000000000002"}],
    "objects": [{"name": "quad", "layer": "Walls", "state": "locked",
                 "mesh": {"vertices": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]], "faces": [[0,1,2,3]],
                          "uvs": [[0,0],[1,0],[1,1],["nan",1]]}},
                {"name": "lamp", "state": "hidden",
                 "instance": {"definition": "1d000001-0000-4000-8000-000000000001",
                              "xform": [1,0,0,5, 0,1,0,6, 0,0,1,7, 0,0,0,1]}}],
    "instance_definitions": [{"id": "1d000001-0000-4000-8000-000000000001", "name": "Lamp",
                              "objects": [{"mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]],
                                                    "faces": [[0,1,2]]}}]}],
    "lights": [{"name": "Sun", "kind": "directional", "direction": [0, 0, -1], "on": false}],
    "named_views": [{"name": "Plan", "viewport": {"projection": "parallel"}}],
    "view": null
  })");
  ASSERT_TRUE(result.doc) << result.error;
  const CRhinoDoc& doc = *result.doc;
  EXPECT_EQ(doc.GetPathName(), ON_wString(L"D:/projects/house.3dm"));
  EXPECT_EQ(doc.ModelUnits().MetersPerUnit(ON_DBL_QNAN), 1.0);
  EXPECT_EQ(CRhRdkDocument::Get(doc).MaterialList().Count(), 1);  // Glass is not listed
  const ON_Material* glass =
      doc.StandinFindMaterial(ON_UuidFromString("40270000-0000-4000-8000-000000000001"));
  ASSERT_NE(glass, nullptr);
  EXPECT_EQ(glass->m_diffuse.Alpha(), 40);  // kept, though Diffuse() hands out no alpha
  EXPECT_FALSE(glass->m_textures[0].m_bOn);
  ASSERT_EQ(doc.StandinObjectCount(), 2);
  const CRhinoObject* quad = doc.StandinObjectAt(0);
  EXPECT_TRUE(quad->IsLocked());
  EXPECT_EQ(quad->ObjectMaterial().Name(), ON_wString(L"Red"));  // the layer's
  EXPECT_TRUE(std::isnan(static_cast<const CRhinoMeshObject*>(quad)->m_mesh.m_T[3].x));
  const auto* lamp = static_cast<const CRhinoInstanceObject*>(doc.StandinObjectAt(1));
  EXPECT_FALSE(lamp->IsVisible());
  EXPECT_EQ(lamp->InstanceXform()[1][3], 6.0);
  ASSERT_NE(lamp->InstanceDefinition(), nullptr);
  EXPECT_EQ(lamp->InstanceDefinition()->ObjectCount(), 1);
  EXPECT_TRUE(doc.m_light_table[0].Light().IsDirectionalLight());
  EXPECT_FALSE(doc.m_light_table[0].Light().IsEnabled());
  ASSERT_NE(doc.Properties().NamedView(0), nullptr);
  EXPECT_TRUE(doc.Properties().NamedView(0)->m_vp.IsParallelProjection());
  EXPECT_EQ(doc.Properties().NamedView(1), nullptr);
  EXPECT_TRUE(result.hasView);
  EXPECT_FALSE(result.view);
}

TEST(DocumentReaderTest, DefaultsAreTheFilesOwnPathAndGeneratedIds) {
  const DocumentReadResult result = Read(R"({"objects": [{}, {}]})");
  ASSERT_TRUE(result.doc) << result.error;
  EXPECT_EQ(result.doc->GetPathName(), ON_wString(L"/work/house.orvexdoc.json"));
  EXPECT_NE(result.doc->StandinObjectAt(0)->Id(), result.doc->StandinObjectAt(1)->Id());
  EXPECT_TRUE(ON_UuidIsNotNil(result.doc->StandinObjectAt(0)->Id()));
  EXPECT_FALSE(result.hasView);
}

TEST(DocumentReaderTest, AFileReadThroughDotDotHasItsPlainAbsolutePath) {
  test_support::TempDir folder;
  std::filesystem::create_directory(folder.path() / "sub");
  test_support::WriteFile(folder.path() / "house.orvexdoc.json", "{}");
  const DocumentReadResult result =
      ReadDocumentFile((folder.path() / "sub" / ".." / "." / "house.orvexdoc.json").string());
  ASSERT_TRUE(result.doc) << result.error;
  EXPECT_EQ(host::WideOf(result.doc->GetPathName()),
            (folder.path() / "house.orvexdoc.json").wstring());
}

TEST(DocumentReaderTest, AnInstanceWithoutDefinitionNamesNone) {
  const DocumentReadResult result = Read(R"({"objects": [{"instance": {}}]})");
  ASSERT_TRUE(result.doc) << result.error;
  const auto* reference = dynamic_cast<const CRhinoInstanceObject*>(result.doc->StandinObjectAt(0));
  ASSERT_NE(reference, nullptr);
  EXPECT_TRUE(ON_UuidIsNil(reference->m_definition_id));
}

TEST(DocumentReaderTest, LayerParentsByIdOrNameAndAParentThatIsNowhereWithANotice) {
  const DocumentReadResult result = Read(R"({
    "layers": [{"name": "Inner", "parent": "Walls"},
               {"id": "aa000001-0000-4000-8000-0000000000a1", "name": "Walls"},
               {"name": "Lost", "parent": "aa000009-0000-4000-8000-0000000000a9"},
               {"name": "Roof", "parent": "aa000001-0000-4000-8000-0000000000a1"}]})");
  ASSERT_TRUE(result.doc) << result.error;
  EXPECT_EQ(result.notices, (std::vector<std::string>{"1 layer names a parent layer that is not "
                                                      "in the file and is kept at the top level: "
                                                      "Lost"}));
  const wchar_t* paths[] = {L"Walls::Inner", L"Walls", L"Lost", L"Walls::Roof"};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(host::LayerFullPath(result.doc->m_layer_table, i), paths[i]);
}

TEST(DocumentReaderTest, MalformedFilesNameTheFileAndTheField) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"units": "cubits"})", "field 'units'"},
      {R"({"objects": [{"mesh": {"faces": [[0, 1]]}}]})", "objects[0].mesh.faces[0]"},
      {R"({"objects": [{"id": "not-a-uuid"}]})", "objects[0].id"},
      {R"({"objects": [{"state": "asleep"}]})",
       "field 'objects[0].state': expected normal, locked, hidden or deleted"},
      {R"({"objects": [{"layer": "Nowhere"}]})", "objects[0].layer"},
      {R"({"materials": [{"diffuse": [300, 0, 0]}]})", "materials[0].diffuse"},
      {R"({"lights": [{"kind": "laser"}]})", "lights[0].kind"},
      {R"({"lights": [{"kind": 2}]})",
       "field 'lights[0].kind': expected point, spot, directional, linear, rectangular or ambient"},
      {R"({"view": {"frustum": [1, 2]}})", "view.frustum"},
      {R"({"view": {"projection": 3}})", "view.projection"},
      {R"({"view": {"projection": "twopoint", "location": [0,0,0], "direction": [0,0,0]}})",
       "field 'view': a two-point view keeps its camera upright on the Z axis"},
      {R"({"named_views": [{"viewport": {"projection": "twopoint", "direction": [0,0,1]}}]})",
       "field 'named_views[0].viewport': a two-point view keeps"},
      // Numbers beyond what the SDK field holds are refused, not wrapped.
      {R"({"materials": [{"textures": [{"type": 1e20}]}]})", "materials[0].textures[0].type"},
      {R"({"materials": [{"textures": [{"type": -1}]}]})", "materials[0].textures[0].type"},
      {R"({"materials": [{"textures": [{"type": 1.5}]}]})", "materials[0].textures[0].type"},
      {R"({"objects": [{"mesh": {"faces": [[0, 1, 4294967296]]}}]})", "objects[0].mesh.faces[0]"},
      {R"({"layers": [{"name": "A", "parent": "C"}, {"name": "B", "parent": "A"},
                      {"name": "C", "parent": "B"}]})",
       "field 'layers[0].parent': a layer inside itself: A::B::C::A"},
      {R"({"layers": [{"name": "A"}, {"name": "B", "parent": "B"}]})",
       "field 'layers[1].parent': a layer inside itself: B::B"},
      {R"({"layers": [{"name": "A", "parent": "Nowhere"}]})",
       "field 'layers[0].parent': no layer has this id or name"},
      {R"({"objects": [}")", "not valid JSON"},
      {"{\n \"a\": 1,,\n}", "not valid JSON (line 2, column 9)"},
      {R"([1, 2])", "document"},
  };
  for (const auto& [text, field] : cases) {
    const DocumentReadResult result = Read(text);
    EXPECT_FALSE(result.doc) << text;
    EXPECT_NE(result.error.find("house.orvexdoc.json"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(field), std::string::npos) << result.error;
  }
}
