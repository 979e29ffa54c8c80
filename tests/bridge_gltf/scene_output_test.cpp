// The files of ORVEX_BRIDGE_OUT as the loaded bridge library writes them: when they are
// written, how the model follows rebuilt and deleted elements, the lights, scenes and camera
// files, and what is told on standard error.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/gltf_support/gltf_file.h"
#include "tests/standin_bridge/bridge_fixture.h"
#include "tests/support/file_io.h"

namespace orvex_bridge_test {
namespace {

namespace fs = std::filesystem;

using test_support::ReadFile;

class BridgeOutput : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    out_ = dir_.path() / "out" / "nested";
  }

  // One element holding one triangle per instance transform, wearing `material`.
  void SendElement(BridgeModel model, const char16_t* id, const char16_t* mesh,
                   const std::vector<float>& xOffsets, const char16_t* material = u"") {
    BRIDGE_FN(BeginElement)(model, id);
    const float positions[] = {0, 0, 0, 100, 0, 0, 0, 100, 0};
    const int indices[] = {0, 1, 2};
    BRIDGE_FN(AddMesh)(model, mesh, positions, 9, nullptr, 0, nullptr, 0, nullptr, 0, indices, 3);
    for (const float x : xOffsets) {
      const float transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, 0, 0, 1};
      BRIDGE_FN(AddInstance)(model, mesh, material, transform);
    }
    BRIDGE_FN(EndElement)();
  }

  fs::path out_;
};

TEST_F(BridgeOutput, NothingIsWrittenWithoutTheVariable) {
  ScopedEnv unset("ORVEX_BRIDGE_OUT", std::nullopt);
  Load();
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  SendElement(model, u"e", u"0", {0});
  BRIDGE_FN(StartSend)(model);
  BRIDGE_FN(SendLightsDataXml)(u"d.3dm", u"");
  BRIDGE_FN(SetCameraTransformFov)(nullptr, 50);
  {
    ScopedEnv empty("ORVEX_BRIDGE_OUT", "");
    BRIDGE_FN(StartSend)(model);
  }
  EXPECT_FALSE(fs::exists(dir_.path() / "out"));
  EXPECT_FALSE(fs::exists("model.gltf"));
}

TEST_F(BridgeOutput, TheModelFollowsRebuiltAndDeletedElementsAtEachSend) {
  ScopedEnv out("ORVEX_BRIDGE_OUT", out_.string());
  Load();
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  SendElement(model, u"aaaa", u"0", {0});
  SendElement(model, u"bbbb", u"1", {0, 300});
  BRIDGE_FN(StartSend)(model);
  {
    const gltf_test::GltfFile gltf(out_ / "model.gltf");
    EXPECT_EQ(gltf.Children(gltf.NodeNamed("aaaa")).size(), 1u);
    EXPECT_EQ(gltf.Triangles(gltf.NodeNamed("bbbb")), 2);
    EXPECT_GLTF_VALID(out_);
  }
  // An update: aaaa comes again with a new mesh placed twice, bbbb (now hidden) is deleted.
  SendElement(model, u"aaaa", u"2", {0, 500});
  BRIDGE_FN(DeleteElement)(model, u"bbbb");
  {
    // Nothing changes on disk before the send.
    const gltf_test::GltfFile before(out_ / "model.gltf");
    EXPECT_EQ(before.NodesNamed("bbbb").size(), 1u);
  }
  BRIDGE_FN(StartSend)(model);
  const gltf_test::GltfFile gltf(out_ / "model.gltf");
  EXPECT_TRUE(gltf.NodesNamed("bbbb").empty());
  const std::vector<int> placements = gltf.Children(gltf.NodeNamed("aaaa"));
  ASSERT_EQ(placements.size(), 2u);
  EXPECT_EQ(gltf.Node(placements[1])["name"], "2");
  EXPECT_EQ(gltf.json()["meshes"].size(), 1u);
  // Renderer x 500 cm is Rhino y 5 m, glTF z -5.
  const gltf_test::Box box = gltf.WorldBox(placements[1]);
  EXPECT_NEAR(box.min[2], -6.0, 1e-6);
  EXPECT_NEAR(box.max[2], -5.0, 1e-6);
  EXPECT_GLTF_VALID(out_);
}

TEST_F(BridgeOutput, LightsScenesAndCameraHaveTheirFilesAndJoinTheGltf) {
  ScopedEnv out("ORVEX_BRIDGE_OUT", out_.string());
  Load();
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  SendElement(model, u"e", u"0", {0});
  BRIDGE_FN(StartSend)(model);

  const std::u16string xml =
      u"<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId><GroupName>d.3dm"
      u"</GroupName></LightGroup><LightSource><UpdateMode>0</UpdateMode><LightId>2e01</LightId>"
      u"<ParentGroupId>0</ParentGroupId><LightName>Lampe \u00e9t\u00e9[2e01]</LightName><type>0"
      u"</type><Transform>1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0,1.000000,2.000000,"
      u"3.000000,1.0</Transform><Brightness>40</Brightness></LightSource></Root>";
  BRIDGE_FN(SendLightsDataXml)(u"D:/d.3dm", xml.c_str());
  EXPECT_EQ(ReadFile(out_ / "lights.xml"),
            "<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId><GroupName>"
            "d.3dm</GroupName></LightGroup><LightSource><UpdateMode>0</UpdateMode><LightId>2e01"
            "</LightId><ParentGroupId>0</ParentGroupId><LightName>Lampe \xC3\xA9t\xC3\xA9[2e01]"
            "</LightName><type>0</type><Transform>1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, "
            "1.0,0.0,1.000000,2.000000,3.000000,1.0</Transform><Brightness>40</Brightness>"
            "</LightSource></Root>");
  {
    const gltf_test::GltfFile gltf(out_ / "model.gltf");
    EXPECT_EQ(gltf.NodesNamed("model").size(), 1u);
    EXPECT_EQ(gltf.NodesNamed("Lampe \xC3\xA9t\xC3\xA9[2e01]").size(), 1u);
  }

  const float entrance[9] = {600, 300, 160, -1, 0, -0.1f, 0, 0, 1};
  BRIDGE_FN(AddScene)(u"3f01", u"Entr\u00e9e", entrance, 50.5f);
  BRIDGE_FN(AddScene)(u"3f02", u"Plan \"B\"", nullptr, 5);
  BRIDGE_FN(StartSendScenes)(u"D:/d.3dm");
  EXPECT_EQ(ReadFile(out_ / "scenes.json"),
            "{\"documentPath\":\"D:/d.3dm\",\"scenes\":[\n"
            "{\"id\":\"3f01\",\"name\":\"Entr\xC3\xA9"
            "e\",\"camera\":[600,300,160,-1,0,-0.1,0,"
            "0,1],\"fov\":50.5},\n"
            "{\"id\":\"3f02\",\"name\":\"Plan \\\"B\\\"\",\"camera\":[0,0,0,0,0,0,0,0,0],"
            "\"fov\":5}]}\n");

  const float view[9] = {1.5f, -2, 3, 0, 1, 0, 0, 0, 1};
  BRIDGE_FN(SetCameraTransformFov)(view, 47);
  EXPECT_EQ(ReadFile(out_ / "camera.json"), "{\"camera\":[1.5,-2,3,0,1,0,0,0,1],\"fov\":47}\n");
  BRIDGE_FN(StartSend)(model);
  {
    const gltf_test::GltfFile gltf(out_ / "model.gltf");
    EXPECT_EQ(gltf.json()["cameras"].size(), 3u);
    EXPECT_EQ(gltf.NodesNamed("Entr\xC3\xA9"
                              "e")
                  .size(),
              1u);
    EXPECT_EQ(gltf.NodesNamed("camera").size(), 1u);
    EXPECT_GLTF_VALID(out_);
  }

  // Once the model is destroyed, later files show the lights and scenes without it.
  BRIDGE_FN(DestroyModel)(model);
  BRIDGE_FN(SendLightsDataXml)(u"D:/d.3dm", u"");
  EXPECT_EQ(ReadFile(out_ / "lights.xml"), "");
  const gltf_test::GltfFile gltf(out_ / "model.gltf");
  EXPECT_TRUE(gltf.NodesNamed("model").empty());
  EXPECT_TRUE(gltf.NodesNamed("Lampe \xC3\xA9t\xC3\xA9[2e01]").empty());
  EXPECT_EQ(gltf.json()["cameras"].size(), 3u);
  EXPECT_FALSE(fs::exists(out_ / "model.bin"));
  EXPECT_GLTF_VALID(out_);
}

TEST_F(BridgeOutput, ARecordThatDoesNotParseIsToldAndKeptAsAnUnnamedDefault) {
  ScopedEnv out("ORVEX_BRIDGE_OUT", out_.string());
  Load();
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  BRIDGE_FN(AddMaterial)(model, u"Bad_1234", u"<Material><Name>a < b</Name></Material>");
  SendElement(model, u"e", u"0", {0}, u"Bad_1234");
  ::testing::internal::CaptureStderr();
  BRIDGE_FN(StartSend)(model);
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(told.rfind("OrvexPlugin: the material record of key Bad_1234 does not parse (", 0), 0u)
      << told;
  const gltf_test::GltfFile gltf(out_ / "model.gltf");
  const nlohmann::json material = gltf.MaterialOf(gltf.Children(gltf.NodeNamed("e"))[0]);
  EXPECT_FALSE(material.contains("name"));
  EXPECT_EQ(material["extras"]["key"], "Bad_1234");
  EXPECT_GLTF_VALID(out_);
}

TEST_F(BridgeOutput, AFolderThatCannotBeMadeIsToldAndTheCallsGoOn) {
  Touch(dir_.path() / "file");
  ScopedEnv out("ORVEX_BRIDGE_OUT", (dir_.path() / "file" / "out").string());
  Load();
  const BridgeModel model = BRIDGE_FN(CreateModel)();
  SendElement(model, u"e", u"0", {0});
  ::testing::internal::CaptureStderr();
  BRIDGE_FN(StartSend)(model);
  const float view[9] = {};
  BRIDGE_FN(SetCameraTransformFov)(view, 47);
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(told.find("OrvexPlugin: the folder "), std::string::npos) << told;
  EXPECT_NE(told.find("OrvexPlugin: the file "), std::string::npos) << told;
  EXPECT_EQ(BRIDGE_FN(Connect)(), 0);
  EXPECT_EQ(LogObjects().size(), 8u);
}

}  // namespace
}  // namespace orvex_bridge_test
