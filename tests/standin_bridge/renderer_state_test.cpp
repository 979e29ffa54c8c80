#include "standin/bridge/renderer_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "tests/standin_bridge/bridge_library.h"

namespace orvex_bridge {
namespace {

using test_support::TempDir;
using test_support::Touch;

Mesh NamedMesh(const std::string& name, float firstPosition = 0) {
  Mesh mesh;
  mesh.name = name;
  mesh.positions = {firstPosition, 0, 0};
  return mesh;
}

Instance InstanceOf(const std::string& mesh, float tx = 0) {
  return Instance{mesh, "mat", {1, 0, 0, tx, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

std::vector<std::string> MeshNames(const Model& model) {
  std::vector<std::string> names;
  for (const auto& entry : model.meshes) names.push_back(entry.first);
  return names;
}

TEST(RendererFolder, AcceptsAFolderHoldingTheRendererProgram) {
  TempDir withExe, withBare, empty, withFolderNamedLikeProgram;
  Touch(withExe.path() / "OrvexRender.exe");
  Touch(withBare.path() / "OrvexRender");
  std::filesystem::create_directory(withFolderNamedLikeProgram.path() / "OrvexRender");
  Touch(empty.path() / "orvexrender");  // names are matched exactly

  RendererState state;
  EXPECT_FALSE(state.SetRenderFolder(empty.path().string()));
  EXPECT_FALSE(state.SetRenderFolder(withFolderNamedLikeProgram.path().string()));
  EXPECT_FALSE(state.SetRenderFolder((empty.path() / "missing").string()));
  EXPECT_FALSE(state.SetRenderFolder((withBare.path() / "OrvexRender").string()));  // a file
  EXPECT_FALSE(state.SetRenderFolder(""));
  EXPECT_FALSE(state.Snapshot().renderFolder.has_value());

  EXPECT_TRUE(state.SetRenderFolder(withExe.path().string()));
  EXPECT_EQ(state.Snapshot().renderFolder, withExe.path().string());
  EXPECT_TRUE(state.SetRenderFolder(withBare.path().string()));
  EXPECT_EQ(state.Snapshot().renderFolder, withBare.path().string());
  EXPECT_FALSE(state.SetRenderFolder(empty.path().string()));
  EXPECT_EQ(state.Snapshot().renderFolder, withBare.path().string());  // the last accepted
}

TEST(RendererModels, ElementsCollectTheirMeshesAndInstances) {
  RendererState state;
  const BridgeModel model = state.CreateModel();
  state.AddMaterial(model, "mat", "<material/>");
  state.BeginElement(model, "e1");
  state.AddMesh(model, NamedMesh("e1.m0"));
  state.AddInstance(model, InstanceOf("e1.m0", 5));
  state.EndElement();
  state.AddMesh(model, NamedMesh("loose"));
  state.AddInstance(model, InstanceOf("loose"));
  state.BeginElement(model, "e2");
  state.AddMesh(model, NamedMesh("e2.m0"));
  state.AddMesh(model, NamedMesh("e2.m1"));
  state.AddInstance(model, InstanceOf("e2.m0"));
  state.AddInstance(model, InstanceOf("e2.m1"));
  state.EndElement();

  const auto copy = state.CopyModel(model);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(MeshNames(*copy), (std::vector<std::string>{"e1.m0", "e2.m0", "e2.m1", "loose"}));
  EXPECT_EQ(copy->meshes.at("e1.m0").element, "e1");
  EXPECT_EQ(copy->meshes.at("e2.m1").element, "e2");
  EXPECT_FALSE(copy->meshes.at("loose").element.has_value());
  ASSERT_EQ(copy->elements.size(), 2u);
  EXPECT_EQ(copy->elements.at("e1").order, 0u);
  EXPECT_EQ(copy->elements.at("e2").order, 1u);
  ASSERT_EQ(copy->elements.at("e1").instances.size(), 1u);
  EXPECT_EQ(copy->elements.at("e1").instances[0].transform[3], 5.0f);
  EXPECT_EQ(copy->elements.at("e2").instances.size(), 2u);
  ASSERT_EQ(copy->looseInstances.size(), 1u);
  EXPECT_EQ(copy->looseInstances[0].mesh, "loose");
  EXPECT_EQ(copy->materials.at("mat"), "<material/>");
}

TEST(RendererModels, BeginningAHeldElementRebuildsIt) {
  RendererState state;
  const BridgeModel model = state.CreateModel();
  for (const char* id : {"a", "b"}) {
    state.BeginElement(model, id);
    state.AddMesh(model, NamedMesh(std::string(id) + ".0"));
    state.AddMesh(model, NamedMesh(std::string(id) + ".1"));
    state.AddInstance(model, InstanceOf(std::string(id) + ".0"));
    state.AddInstance(model, InstanceOf(std::string(id) + ".1"));
    state.EndElement();
  }
  state.BeginElement(model, "a");
  state.AddMesh(model, NamedMesh("a.new", 9));
  state.AddInstance(model, InstanceOf("a.new"));
  state.EndElement();

  const auto copy = state.CopyModel(model);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(MeshNames(*copy), (std::vector<std::string>{"a.new", "b.0", "b.1"}));
  ASSERT_EQ(copy->elements.at("a").instances.size(), 1u);
  EXPECT_EQ(copy->elements.at("a").instances[0].mesh, "a.new");
  EXPECT_EQ(copy->elements.at("a").order, 0u);  // keeps its place
  EXPECT_EQ(copy->elements.at("b").instances.size(), 2u);
  EXPECT_EQ(copy->meshes.at("a.new").positions[0], 9.0f);
}

TEST(RendererModels, DeletingAnElementRemovesItsMeshesAndInstances) {
  RendererState state;
  const BridgeModel model = state.CreateModel();
  state.AddMesh(model, NamedMesh("loose"));
  for (const char* id : {"a", "b"}) {
    state.BeginElement(model, id);
    state.AddMesh(model, NamedMesh(id));
    state.AddInstance(model, InstanceOf(id));
    state.EndElement();
  }
  state.DeleteElement(model, "a");
  state.DeleteElement(model, "never-added");

  const auto copy = state.CopyModel(model);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(MeshNames(*copy), (std::vector<std::string>{"b", "loose"}));
  EXPECT_EQ(copy->elements.count("a"), 0u);
  EXPECT_EQ(copy->elements.count("b"), 1u);
}

TEST(RendererModels, DeletingTheOpenElementClosesIt) {
  RendererState state;
  const BridgeModel model = state.CreateModel();
  state.BeginElement(model, "a");
  state.DeleteElement(model, "a");
  state.AddMesh(model, NamedMesh("after"));
  state.AddInstance(model, InstanceOf("after"));
  const auto copy = state.CopyModel(model);
  ASSERT_TRUE(copy.has_value());
  EXPECT_TRUE(copy->elements.empty());
  EXPECT_FALSE(copy->meshes.at("after").element.has_value());
  EXPECT_EQ(copy->looseInstances.size(), 1u);
}

TEST(RendererModels, ReplacesMeshesAndMaterialsOfTheSameName) {
  RendererState state;
  const BridgeModel model = state.CreateModel();
  state.AddMaterial(model, "k", "first");
  state.AddMaterial(model, "k", "second");
  state.BeginElement(model, "a");
  state.AddMesh(model, NamedMesh("m", 1));
  state.EndElement();
  state.BeginElement(model, "b");
  state.AddMesh(model, NamedMesh("m", 2));
  state.EndElement();
  state.BeginElement(model, "a");  // "m" now belongs to "b": rebuilding "a" keeps it
  state.EndElement();
  state.DeleteElement(model, "a");

  const auto copy = state.CopyModel(model);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(copy->materials.size(), 1u);
  EXPECT_EQ(copy->materials.at("k"), "second");
  ASSERT_EQ(copy->meshes.size(), 1u);
  EXPECT_EQ(copy->meshes.at("m").positions[0], 2.0f);
  EXPECT_EQ(copy->meshes.at("m").element, "b");
}

TEST(RendererModels, ModelsAreSeparateAndDestroyedModelsGone) {
  RendererState state;
  EXPECT_EQ(state.CreateModel(), 1);
  EXPECT_EQ(state.CreateModel(), 2);
  state.BeginElement(1, "e");  // open in model 1: calls on model 2 stay outside it
  state.AddMesh(2, NamedMesh("two"));
  state.AddMesh(1, NamedMesh("one"));
  state.EndElement();
  EXPECT_FALSE(state.CopyModel(2)->meshes.at("two").element.has_value());
  EXPECT_EQ(state.CopyModel(1)->meshes.at("one").element, "e");
  EXPECT_EQ(state.CopyModel(1)->meshes.count("two"), 0u);

  state.DestroyModel(1);
  EXPECT_FALSE(state.CopyModel(1).has_value());
  EXPECT_EQ(state.Snapshot().models, (std::vector<BridgeModel>{2}));
  EXPECT_EQ(state.CreateModel(), 3);  // handles are not reused

  // Calls that name no live model change nothing.
  state.BeginElement(1, "x");
  state.AddMesh(1, NamedMesh("ghost"));
  state.AddMaterial(0, "k", "r");
  state.StartSend(1);
  EXPECT_FALSE(state.CopyModel(1).has_value());
  EXPECT_FALSE(state.CopyModel(0).has_value());
  EXPECT_EQ(state.Snapshot().models, (std::vector<BridgeModel>{2, 3}));
}

TEST(RendererModels, CountsOptimizeAndSend) {
  RendererState state;
  const BridgeModel model = state.CreateModel();
  state.OptimizeModel(model);
  state.StartSend(model);
  state.StartSend(model);
  EXPECT_EQ(state.CopyModel(model)->optimizeCount, 1);
  EXPECT_EQ(state.CopyModel(model)->sendCount, 2);
}

TEST(RendererScenes, LightsScenesAndCameraKeepTheLastSent) {
  RendererState state;
  EXPECT_FALSE(state.Snapshot().lights.has_value());
  EXPECT_FALSE(state.Snapshot().sentScenes.has_value());
  EXPECT_FALSE(state.Snapshot().camera.has_value());

  state.SendLights("doc1", "<lights/>");
  state.SendLights("doc2", "<lights><light/></lights>");
  state.AddScene({"s1", "Front", {1, 2, 3, 4, 5, 6, 7, 8, 9}, 40});
  state.AddScene({"s2", "Top", {}, 50});
  EXPECT_EQ(state.Snapshot().pendingScenes.size(), 2u);
  state.StartSendScenes("doc2");
  state.AddScene({"s3", "Later", {}, 60});
  state.SetCamera({{1, 1, 1, 0, 0, 0, 0, 0, 1}, 30});
  state.SetCamera({{2, 2, 2, 0, 0, 0, 0, 0, 1}, 35});

  const RendererSnapshot snapshot = state.Snapshot();
  ASSERT_TRUE(snapshot.lights.has_value());
  EXPECT_EQ(snapshot.lights->documentPath, "doc2");
  EXPECT_EQ(snapshot.lights->xml, "<lights><light/></lights>");
  ASSERT_TRUE(snapshot.sentScenes.has_value());
  ASSERT_EQ(snapshot.sentScenes->size(), 2u);
  EXPECT_EQ((*snapshot.sentScenes)[0].name, "Front");
  EXPECT_EQ((*snapshot.sentScenes)[0].camera[8], 9.0f);
  EXPECT_EQ((*snapshot.sentScenes)[1].fov, 50.0f);
  EXPECT_EQ(snapshot.scenesDocumentPath, "doc2");
  ASSERT_EQ(snapshot.pendingScenes.size(), 1u);
  EXPECT_EQ(snapshot.pendingScenes[0].id, "s3");
  ASSERT_TRUE(snapshot.camera.has_value());
  EXPECT_EQ(snapshot.camera->camera[0], 2.0f);
  EXPECT_EQ(snapshot.camera->fov, 35.0f);

  state.StartSendScenes("doc3");
  ASSERT_EQ(state.Snapshot().sentScenes->size(), 1u);
  EXPECT_TRUE(state.Snapshot().pendingScenes.empty());
}

TEST(RendererScenes, CameraFromAnotherThreadWhileModelsChange) {
  RendererState state;
  const BridgeModel model = state.CreateModel();
  std::thread camera([&] {
    for (int i = 1; i <= 2000; ++i) state.SetCamera({{static_cast<float>(i)}, 45});
  });
  for (int i = 0; i < 2000; ++i) {
    state.BeginElement(model, "e" + std::to_string(i % 10));
    state.AddMesh(model, NamedMesh("m" + std::to_string(i % 10)));
    state.EndElement();
  }
  camera.join();
  EXPECT_EQ(state.Snapshot().camera->camera[0], 2000.0f);
  EXPECT_EQ(state.CopyModel(model)->meshes.size(), 10u);
}

}  // namespace
}  // namespace orvex_bridge
