// .3dm files saved by the CAD application, opened by the host with openNURBS.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>

#include "command_names.h"
#include "host_sandbox.h"
#include "opennurbs.h"
#include "tests/support/file_io.h"

namespace fs = std::filesystem;

namespace {

// The samples, small and large, are in the tree.
const fs::path kSamples = fs::path(ORVEX_SOURCE_DIR) / "tests/data/3dm";

const ON_UUID kBox = ON_UuidFromString("b0000001-0000-4000-8000-000000000001");
const ON_UUID kPair = ON_UuidFromString("b0000002-0000-4000-8000-000000000002");

// One triangle: what is counted is meshes, not their shape.
ON_Mesh* Triangle() {
  ON_Mesh* mesh = new ON_Mesh(1, 3, true, false);
  for (int i = 0; i < 3; ++i) mesh->SetVertex(i, ON_3dPoint(i == 1, i == 2, 0));
  mesh->SetTriangle(0, 0, 1, 2);
  mesh->ComputeVertexNormals();
  return mesh;
}

ON_3dmObjectAttributes Attributes(const wchar_t* name, ON::object_mode mode) {
  ON_3dmObjectAttributes a;
  a.m_uuid = ON_CreateId();
  a.m_name = name;
  a.SetMode(mode);
  return a;
}

ON_InstanceRef* Reference(const ON_UUID& definition, const ON_3dVector& move) {
  auto* ref = new ON_InstanceRef();
  ref->m_instance_definition_uuid = definition;
  ref->m_xform = ON_Xform::TranslationTransformation(move);
  return ref;
}

// A file as the application saves one: a block "box", a block "pair" that
// holds the box and (wrongly) itself, one reference to each; a polysurface
// with its render meshes, one face wearing another material through its
// channel; a texture whose file is nowhere; a layer whose parent is not in the file.
void WriteBlocksFile(const fs::path& file) {
  ON::Begin();
  ONX_Model model;
  model.m_settings.m_ModelUnitsAndTolerances.m_unit_system = ON::LengthUnitSystem::Millimeters;
  ON_Layer layer, inner;
  layer.SetName(L"Default");
  model.AddModelComponent(layer);
  inner.SetName(L"Inner");
  inner.SetParentLayerId(model.AddModelComponent(ON_Layer()).ModelComponent()->Id());
  model.AddModelComponent(inner);
  model.RemoveModelComponent(ON_ModelComponent::Type::Layer, inner.ParentLayerId());  // gone
  ON_Material red, grey;
  red.SetName(L"Red");
  red.SetId(ON_CreateId());
  grey.SetName(L"Grey");
  grey.SetId(ON_CreateId());
  grey.m_material_channel.Append(ON_UuidIndex(red.Id(), 1));
  grey.AddTexture(L"C:\\Textures\\nowhere.png", ON_Texture::TYPE::bitmap_texture);
  const int greyIndex = model.AddModelComponent(red).ModelComponentIndex() + 1;
  model.AddModelComponent(grey);

  auto add = [&](ON_Object* geometry, const ON_3dmObjectAttributes& a) {
    model.AddManagedModelGeometryComponent(geometry, new ON_3dmObjectAttributes(a));
    return a.m_uuid;
  };
  ON_InstanceDefinition box, pair;
  box.SetId(kBox);
  box.SetName(L"box");
  pair.SetId(kPair);
  pair.SetName(L"pair");
  ON_SimpleArray<ON_UUID> inBox, inPair;
  inBox.Append(add(Triangle(), Attributes(L"cube", ON::idef_object)));
  inPair.Append(
      add(Reference(kBox, ON_3dVector(20, 0, 0)), Attributes(L"inner box", ON::idef_object)));
  inPair.Append(
      add(Reference(kPair, ON_3dVector(0, 20, 0)), Attributes(L"itself", ON::idef_object)));
  box.SetInstanceGeometryIdList(inBox);
  pair.SetInstanceGeometryIdList(inPair);
  model.AddModelComponent(box);
  model.AddModelComponent(pair);
  add(Reference(kBox, ON_3dVector::ZeroVector), Attributes(L"a box", ON::normal_object));
  add(Reference(kPair, ON_3dVector(0, 100, 0)), Attributes(L"a pair", ON::normal_object));

  ON_3dPoint corners[8];
  for (int i = 0; i < 8; ++i) corners[i] = ON_3dPoint((i + 1) / 2 % 2, i / 2 % 2, i / 4) * 5;
  ON_Brep* brep = ON_BrepBox(corners);
  for (int f = 0; f < brep->m_F.Count(); ++f) brep->m_F[f].SetMesh(ON::render_mesh, Triangle());
  brep->m_F[0].SetMaterialChannelIndex(1);
  ON_3dmObjectAttributes brepAttributes = Attributes(L"solid", ON::normal_object);
  brepAttributes.SetMaterialSource(ON::material_from_object);
  brepAttributes.m_material_index = greyIndex;
  add(brep, brepAttributes);
  // By the file's wide name: openNURBS built with mingw-w64 would pass it
  // through the ANSI code page.
#ifdef _WIN32
  std::FILE* f = _wfopen(file.c_str(), L"wb");
#else
  std::FILE* f = std::fopen(file.c_str(), "wb");
#endif
  ASSERT_NE(f, nullptr);
  ON_BinaryFile archive(ON::archive_mode::write3dm, f);
  const bool written = model.Write(archive, 70);
  std::fclose(f);
  ASSERT_TRUE(written);
}

}  // namespace

TEST(ModelFileTest, SampleFilesSendTheirRenderMeshesLightsAndViewsAndSayWhatTheyLack) {
  struct Case {
    fs::path file;
    int meshes;
    const char* notice;  // "" = none
    const char* call;    // a bridge call that shows what the file holds,
    const char* holds;   // with this text in its arguments
  };
  const char* kNoMesh = "1 object has no render mesh in the file and is not sent";
  for (const Case& c :
       {Case{kSamples / "v7_my_mesh_with_material.3dm", 2, "", "AddMaterial",
             "<Name>my render material</Name>"},
        Case{kSamples / "v7_my_spot_light.3dm", 1, kNoMesh, "SendLightsDataXml",
             "<GroupName>lights</GroupName></LightGroup><LightSource><UpdateMode>0</"
             "UpdateMode><LightId>cb52f2e8-1afe-4806-bc8c-a1d1a18f0b5b</LightId>"},
        // The file's first view is active: looking down from above.
        Case{kSamples / "v7_my_viewports.3dm", 0, kNoMesh, "SetCameraTransformFov",
             "\"camera\":[0,0,22.903765,0,0,-1,"},
        Case{kSamples / "v7_rhino_logo_nurbs.3dm", 12, "", "AddMaterial", "<Name>Red</Name>"},
        Case{kSamples / "v5_teacup.3dm", 14, "", "AddScene", "Perspective1"},
        Case{kSamples / "v7_my_brep.3dm", 0, kNoMesh, "", ""},
        // SubDs are meshed as the application meshes them; the meshes of the
        // layer that is off are not sent.
        Case{kSamples / "v6_rhino_subd_logo.3dm", 6, "", "", ""},
        Case{kSamples / "v5_extrusions.3dm", 13,
             "1 texture file is neither where the file says nor beside it: AtoZ.jpg", "AddMaterial",
             "AtoZ.bmp"}}) {
    SCOPED_TRACE(c.file);
    HostSandbox sandbox;
    sandbox.RememberRenderer();
    // Start's camera comes from the view-sync thread, which the Stop right after
    // may retire before it sends: the camera looked for is the one the
    // send-model command sends on the host's thread before it ends.
    const bool camera = std::string(c.call) == "SetCameraTransformFov";
    std::vector<std::string> args = {"--doc",     c.file.string(), kStart,
                                     kSendLights, kSendScenes,     kStop};
    if (camera) args.insert(args.begin() + 3, kSendModel);
    const HostRun run = sandbox.Run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.Calls("AddMesh").size(), static_cast<size_t>(c.meshes));
    if (*c.notice == '\0')
      EXPECT_EQ(run.out.find(".3dm: "), std::string::npos) << run.out;
    else
      EXPECT_NE(run.out.find(c.notice), std::string::npos) << run.out;
    if (*c.call != '\0') {
      std::string arguments;
      for (const auto& call : run.Calls(c.call))
        if (!camera || call.value("thread", -1) == 0) arguments += call.dump();
      EXPECT_NE(arguments.find(c.holds), std::string::npos) << arguments.substr(0, 2000);
    }
  }
}

TEST(ModelFileTest, UnreadableFilesEndTheHostWithTheirReason) {
  HostSandbox sandbox;
  const std::string saved = test_support::ReadFile(kSamples / "v7_my_viewports.3dm");
  struct Case {
    const char* name;
    std::string bytes;  // empty name for a folder
    const char* reason;
  };
  for (const Case& c :
       {Case{"empty.3dm", "", "not a .3dm file"},
        Case{"text.3dm", "This is not a model.\n", "not a .3dm file"},
        Case{"truncated.3dm", saved.substr(0, 3000), "damaged or incomplete"},
        Case{"newer.3dm", "3D Geometry File Format       80" + saved.substr(32, 4000),
             "a version 8 file; this host reads .3dm files up to version 7"},
        Case{"folder.3dm", std::string(), "not a file"}}) {
    SCOPED_TRACE(c.name);
    const fs::path file = sandbox.Root() / c.name;
    if (std::string(c.name) == "folder.3dm")
      fs::create_directories(file);
    else
      test_support::WriteFile(file, c.bytes);
    const HostRun run = sandbox.Run({"--doc", file.string(), kStart});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(file.string() + ": " + c.reason), std::string::npos) << run.err;
  }
}

TEST(ModelFileTest, BlocksFaceMaterialsAndLostTexturesAreSentAsTheApplicationShowsThem) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const fs::path file = sandbox.Root() / "blocks.3dm";
  WriteBlocksFile(file);
  const HostRun run = sandbox.Run({"--doc", file.string(), kStart, kStop});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* notice : {"1 block reference places a block inside itself and is left out",
                             "1 layer names a parent layer that is not in the file and is kept "
                             "at the top level: Inner",
                             "1 texture file is neither where the file says nor beside it: "
                             "nowhere.png"})
    EXPECT_NE(run.out.find(file.string() + ": " + notice + "\n"), std::string::npos) << run.out;
  // Each block once, as one mesh: the pair holds the box it nests and nothing
  // of itself. The polysurface's face on channel 1 wears Red, the rest Grey.
  std::map<std::string, int> meshes;                       // element id -> meshes sent
  std::map<std::string, std::set<std::string>> materials;  // -> the name part of the keys placed
  std::string id;
  for (const auto& call : run.calls) {
    const std::string fn = call.value("fn", ""), key = call.value("material", "");
    if (fn == "BeginElement") id = call.value("id", "");
    if (fn == "AddMesh") ++meshes[id];
    if (fn == "AddInstance") materials[id].insert(key.substr(0, key.rfind('_')));
  }
  ASSERT_EQ(meshes.size(), 4u);  // the materials, two blocks, the polysurface
  EXPECT_EQ(meshes["b0000001-0000-4000-8000-000000000001"], 1);
  EXPECT_EQ(meshes["b0000002-0000-4000-8000-000000000002"], 1);
  materials.erase("00000000-0000-0000-0000-000000000000");  // the materials element
  materials.erase("b0000001-0000-4000-8000-000000000001");
  materials.erase("b0000002-0000-4000-8000-000000000002");
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials.begin()->second, (std::set<std::string>{"Grey", "Red"}));
}
