// 3D files of Debian's assimp-testmodels package opened by the host and sent
// through Start, Send lights and Send scenes: what the renderer receives is
// checked against assimp's own view of each file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "command_names.h"
#include "host_sandbox.h"
#include "tests/gltf_support/gltf_file.h"
#include "tests/host_import/assimp_view.h"
#include "tests/support/file_io.h"

using nlohmann::json;

namespace {

const std::string kModels = "/usr/share/assimp/models/";
constexpr double kPi = 3.141592653589793;

bool IsMeshNumber(const std::string& name) {
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool IsIdentity(const std::vector<float>& t) {
  for (int i = 0; i < 16; ++i)
    if (t[i] != ((i % 5 == 0) ? 1.0f : 0.0f)) return false;
  return true;
}

// A number of the call log: a JSON number, or the text of a non-finite one.
double Number(const json& value) {
  if (value.is_number()) return value.get<double>();
  const std::string text = value.get<std::string>();
  return text == "inf" ? INFINITY : text == "-inf" ? -INFINITY : NAN;
}

// The model as the renderer received it: the meshes sent (swatch meshes,
// named by material keys, left out), the triangles placed, the blocks, and the
// box of every placed triangle corner in the renderer frame (centimetres, X
// and Y exchanged).
struct ReceivedModel {
  size_t sentTriangles = 0;
  size_t placedTriangles = 0;
  std::multiset<std::pair<size_t, int>> blocks;  // (triangles, placements) per block mesh
  size_t blockPlacements = 0;
  size_t repeatedPlacements = 0;  // block placements equal to an earlier one of the same mesh
  Box3 box;
};

ReceivedModel Receive(const HostRun& run) {
  struct Mesh {
    std::vector<double> positions;
    std::vector<int> indices;
  };
  ReceivedModel model;
  std::map<std::string, Mesh> meshes;
  // Per element: placements of each mesh, and whether any is not the identity.
  std::map<std::string, int> placements;
  std::set<std::pair<std::string, std::vector<float>>> transforms;
  bool block = false;
  auto closeElement = [&] {
    if (block)
      for (const auto& [name, count] : placements)
        model.blocks.insert({meshes[name].indices.size() / 3, count});
    placements.clear();
    transforms.clear();
    block = false;
  };
  for (const json& call : run.calls) {
    const std::string fn = call["fn"];
    if (fn == "BeginElement") closeElement();
    if (fn == "AddMesh" && IsMeshNumber(call["name"])) {
      Mesh& mesh = meshes[call["name"]];
      for (const json& v : call["positions"]) mesh.positions.push_back(Number(v));
      for (const json& i : call["indices"]) mesh.indices.push_back(i.get<int>());
      model.sentTriangles += mesh.indices.size() / 3;
    }
    if (fn == "AddInstance" && IsMeshNumber(call["mesh"])) {
      const Mesh& mesh = meshes[call["mesh"]];
      std::vector<float> t;
      for (const json& v : call["transform"]) t.push_back(v.get<float>());
      ++placements[call["mesh"]];
      if (!IsIdentity(t)) {
        block = true;
        ++model.blockPlacements;
        if (!transforms.insert({call["mesh"], t}).second) ++model.repeatedPlacements;
      }
      model.placedTriangles += mesh.indices.size() / 3;
      for (int i : mesh.indices) {
        const double x = mesh.positions[3 * i], y = mesh.positions[3 * i + 1],
                     z = mesh.positions[3 * i + 2];
        // Column-major: the four floats of each column in turn.
        model.box.Add(t[0] * x + t[4] * y + t[8] * z + t[12],
                      t[1] * x + t[5] * y + t[9] * z + t[13],
                      t[2] * x + t[6] * y + t[10] * z + t[14]);
      }
    }
  }
  closeElement();
  return model;
}

struct FileCase {
  std::string file;
  bool yUp;            // the scene's frame as assimp gives it
  double centimetres;  // per scene unit
};

// Sends the file through Start, Send lights and Send scenes; checks the
// triangles and the extents against assimp's view. Returns the run.
HostRun SendAndCompare(const FileCase& c, const std::vector<std::string>& more = {},
                       const std::vector<std::string>& options = {}) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::filesystem::path out = sandbox.Root() / "out";
  std::vector<std::string> args = options;
  for (const std::string& a : {std::string("--doc"), c.file, std::string(kStart),
                               std::string(kSendLights), std::string(kSendScenes)})
    args.push_back(a);
  args.insert(args.end(), more.begin(), more.end());
  HostRun run = sandbox.Run(args, {{"ORVEX_BRIDGE_OUT", out.string()}});
  EXPECT_EQ(run.exitCode, 0) << c.file;
  EXPECT_NE(run.out.find("OrvexConverter: Success"), std::string::npos) << run.out;
  EXPECT_EQ(run.Calls("StartLinkOrvexRender").at(0)["path"], c.file);

  const AssimpView source = ViewWithAssimp(c.file);
  EXPECT_TRUE(source.error.empty()) << source.error;
  const ReceivedModel model = Receive(run);
  // Meshes are sent once (an object's for its node, a block's for all its
  // nodes); triangles the plug-in cannot draw are left out.
  EXPECT_EQ(model.sentTriangles, source.Distinct(source.validTriangles)) << c.file;
  EXPECT_EQ(model.placedTriangles, source.Placed(source.validTriangles)) << c.file;
  std::multiset<std::pair<size_t, int>> shared;
  size_t sharedPlacements = 0;
  for (size_t m = 0; m < source.uses.size(); ++m)
    if (source.uses[m] > 1) {
      shared.insert({source.validTriangles[m], static_cast<int>(source.uses[m])});
      sharedPlacements += source.uses[m];
    }
  EXPECT_EQ(model.blocks, shared) << c.file;
  EXPECT_EQ(model.blockPlacements, sharedPlacements) << c.file;

  // Renderer frame: document Y, X, Z in centimetres; a Y-up scene's Z-up
  // document is (x, -z, y).
  const Box3 expected = source.box.Mapped([&](double x, double y, double z) {
    const double s = c.centimetres;
    return c.yUp ? std::array<double, 3>{-s * z, s * x, s * y}
                 : std::array<double, 3>{s * y, s * x, s * z};
  });
  if (!expected.Empty()) {
    const double tolerance = 1e-4 * std::max(1.0, expected.Size());
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(model.box.min[i], expected.min[i], tolerance) << c.file << " axis " << i;
      EXPECT_NEAR(model.box.max[i], expected.max[i], tolerance) << c.file << " axis " << i;
    }
  } else {
    EXPECT_TRUE(model.box.Empty());
  }

  // The model as the renderer holds it (glTF: metres, Y up), without the
  // materials element's swatches: a Y-up file comes back in its own frame.
  const gltf_test::GltfFile gltf(out / "model.gltf");
  size_t triangles = 0;
  Box3 box;
  for (const int element : gltf.Children(gltf.NodeNamed("model"))) {
    if (gltf.Node(element).value("name", "") == "00000000-0000-0000-0000-000000000000") continue;
    triangles += static_cast<size_t>(gltf.Triangles(element));
    const gltf_test::Box part = gltf.WorldBox(element);
    if (!part.empty()) {
      box.Add(part.min[0], part.min[1], part.min[2]);
      box.Add(part.max[0], part.max[1], part.max[2]);
    }
  }
  EXPECT_EQ(triangles, source.Placed(source.validTriangles)) << c.file;
  const Box3 inMetres = source.box.Mapped([&](double x, double y, double z) {
    const double s = c.centimetres / 100.0;
    return c.yUp ? std::array<double, 3>{s * x, s * y, s * z}
                 : std::array<double, 3>{s * x, s * z, -s * y};
  });
  if (!inMetres.Empty()) {
    const double tolerance = 1e-4 * std::max(1.0, inMetres.Size());
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(box.min[i], inMetres.min[i], tolerance) << c.file << " glTF axis " << i;
      EXPECT_NEAR(box.max[i], inMetres.max[i], tolerance) << c.file << " glTF axis " << i;
    }
  }
  return run;
}

std::vector<std::string> Records(const HostRun& run) {
  std::vector<std::string> records;
  for (const json& call : run.Calls("AddMaterial")) records.push_back(call["record"]);
  return records;
}

// The text between <tag> and </tag>, from the first one at or after from.
std::string Element(const std::string& text, const std::string& tag, size_t from = 0) {
  const size_t start = text.find("<" + tag + ">", from);
  if (start == std::string::npos) return std::string();
  const size_t begin = start + tag.size() + 2;
  return text.substr(begin, text.find("</" + tag + ">", begin) - begin);
}

// The host with its standard error, for the runs that fail before any command.
std::pair<int, std::string> RunHostForErrors(const std::string& doc) {
  const std::string command = std::string(ORVEX_HOST_FILE) + " --plugin '" + ORVEX_PLUGIN_FILE +
                              "' --doc '" + doc + "' 2>&1 </dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[512];
  while (pipe && fgets(buffer, sizeof buffer, pipe)) output += buffer;
  const int status = pipe ? pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

}  // namespace

TEST(ImportHostTest, BinaryGltfWithNodeInstancing) {
  const HostRun run = SendAndCompare(
      {kModels + "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", true, 100.0});
  const ReceivedModel model = Receive(run);
  // 19 meshes are shared: each sent once in its block, placed once per node.
  EXPECT_EQ(model.blocks.size(), 19u);
  EXPECT_EQ(model.repeatedPlacements, 0u);
  const auto scenes = run.Calls("AddScene");
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_EQ(scenes[0]["name"], "nodes[81]");
  EXPECT_EQ(run.Calls("StartSendScenes").at(0)["path"],
            kModels + "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb");
}

TEST(ImportHostTest, TexturedGltfSendsItsImagePath) {
  const HostRun run =
      SendAndCompare({kModels + "glTF2/BoxTextured-glTF/BoxTextured.gltf", true, 100.0});
  const std::vector<std::string> records = Records(run);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(Element(records[0], "Name"), "Texture");
  EXPECT_EQ(Element(Element(records[0], "DiffuseTexture"), "Filepath"),
            kModels + "glTF2/BoxTextured-glTF/CesiumLogoFlat.png");
  EXPECT_EQ(Element(records[0], "Metallic"), "0.000000");
  EXPECT_EQ(Element(records[0], "Roughness"), "1.000000");
}

TEST(ImportHostTest, TheRendererKeepsTheTexturedGltfsImage) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::filesystem::path out = sandbox.Root() / "out";
  const HostRun run =
      sandbox.Run({"--doc", kModels + "glTF2/BoxTextured-glTF/BoxTextured.gltf", kStart},
                  {{"ORVEX_BRIDGE_OUT", out.string()}});
  ASSERT_EQ(run.exitCode, 0);
  const gltf_test::GltfFile gltf(out / "model.gltf");
  ASSERT_EQ(gltf.json()["images"].size(), 1u);
  EXPECT_EQ(gltf.json()["images"][0]["uri"], "textures/CesiumLogoFlat.png");
  EXPECT_EQ(test_support::ReadFile(out / "textures/CesiumLogoFlat.png"),
            test_support::ReadFile(kModels + "glTF2/BoxTextured-glTF/CesiumLogoFlat.png"));
  EXPECT_GLTF_VALID(out);
}

TEST(ImportHostTest, GltfCamerasBecomeScenesAndTheFirstTheFollowedView) {
  const HostRun run =
      SendAndCompare({kModels + "glTF2/cameras/Cameras.gltf", true, 100.0}, {"Wait 300"});
  const auto scenes = run.Calls("AddScene");
  ASSERT_EQ(scenes.size(), 2u);
  EXPECT_EQ(scenes[0]["name"], "nodes[1]");
  EXPECT_EQ(scenes[1]["name"], "nodes[2]");
  // At (0.5, 0.5, 3) m in the file, looking down its -Z with Y up: in the
  // renderer frame at (-300, 50, 50) cm, looking along +X, Z up.
  const std::vector<float> perspective = scenes[0]["camera"];
  const std::vector<float> expected = {-300, 50, 50, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(perspective[i], expected[i], 1e-4) << i;
  EXPECT_NEAR(scenes[0]["fov"].get<double>(), 0.7 * 180.0 / kPi, 1e-4);  // yfov 0.7, aspect 1
  // The orthographic camera (half width 1 m, target 1 m ahead) is pulled back
  // so that a 5-degree cone spans its 2 m frustum.
  const std::vector<float> parallel = scenes[1]["camera"];
  EXPECT_EQ(scenes[1]["fov"].get<double>(), 5.0);
  const double pullBack = 2.0 * 0.5 / std::tan(2.5 * kPi / 180.0);
  EXPECT_NEAR(parallel[0], -300 + (1.0 - pullBack) * 100.0, 1e-2);
  EXPECT_NEAR(parallel[1], 50, 1e-4);
  EXPECT_NEAR(parallel[2], 50, 1e-4);
  // The first camera is the active view that the renderer follows.
  const auto followed = run.Calls("SetCameraTransformFov");
  ASSERT_FALSE(followed.empty());
  EXPECT_EQ(followed[0]["camera"], scenes[0]["camera"]);
}

TEST(ImportHostTest, ColladaLightsReachTheLightDescription) {
  const HostRun run = SendAndCompare({kModels + "Collada/lights.dae", true, 100.0});
  const auto sends = run.Calls("SendLightsDataXml");
  ASSERT_EQ(sends.size(), 1u);
  const std::string xml = sends[0]["xml"];
  EXPECT_EQ(Element(xml, "GroupName"), "lights.dae");
  // Point, spot and the file's point-shaped "Area" lamp; the sun (directional)
  // and the hemisphere (ambient) have no place in the description.
  std::vector<std::string> names, types, positions;
  for (size_t at = xml.find("<LightSource>"); at != std::string::npos;
       at = xml.find("<LightSource>", at + 1)) {
    names.push_back(Element(xml, "LightName", at));
    types.push_back(Element(xml, "type", at));
    const std::string transform = Element(xml, "Transform", at);
    positions.push_back(transform.substr(transform.rfind(",0.0,") + 5));
  }
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0].substr(0, 5), "Lamp[");
  EXPECT_EQ(names[1].substr(0, 5), "Spot[");
  EXPECT_EQ(names[2].substr(0, 5), "Area[");
  EXPECT_EQ(types, (std::vector<std::string>{"0", "1", "0"}));
  // The lamp at (0, 1, 1) m in the file's Z-up frame.
  EXPECT_EQ(positions[0], "100.000000,0.000000,100.000000,1.0");
  double x, y, z;
  ASSERT_EQ(std::sscanf(positions[1].c_str(), "%lf,%lf,%lf", &x, &y, &z), 3);
  EXPECT_NEAR(x, -501.686, 1e-3);
  EXPECT_NEAR(y, 888.822, 1e-3);
  EXPECT_NEAR(z, 533.603, 1e-3);
}

TEST(ImportHostTest, AreaLightsArriveAsRectangularLights) {
  // A Blender file: no unit of its own, so the one asked for; Z up already.
  const HostRun run = SendAndCompare({kModels + "BLEND/AreaLight_269.blend", false, 100.0}, {},
                                     {"--units", "meters"});
  const std::string xml = run.Calls("SendLightsDataXml").at(0)["xml"];
  std::vector<std::string> types, sizes, positions;
  for (size_t at = xml.find("<LightSource>"); at != std::string::npos;
       at = xml.find("<LightSource>", at + 1)) {
    types.push_back(Element(xml, "type", at));
    const size_t end = xml.find("</LightSource>", at);
    const size_t size = xml.find("<SizeX>", at);
    sizes.push_back(size < end ? Element(xml, "SizeX", at) + " " + Element(xml, "SizeY", at) : "");
    const std::string transform = Element(xml, "Transform", at);
    positions.push_back(transform.substr(transform.rfind(",0.0,") + 5));
  }
  ASSERT_EQ(types, (std::vector<std::string>{"0", "3", "3"}));
  // "Bar" is 0.5 m wide and 2 m high, "Foo" 1 m square; both centred on their nodes.
  EXPECT_EQ(sizes[2], "100.000000 100.000000");
  EXPECT_EQ(positions[2], "0.000000,0.000000,200.000000,1.0");
  double width, height, x, y, z;
  ASSERT_EQ(std::sscanf(sizes[1].c_str(), "%lf %lf", &width, &height), 2);
  EXPECT_NEAR(width, 50.0, 1e-4);
  EXPECT_NEAR(height, 200.0, 1e-4);
  ASSERT_EQ(std::sscanf(positions[1].c_str(), "%lf,%lf,%lf", &x, &y, &z), 3);
  EXPECT_NEAR(x, 300.0, 1e-4);
  EXPECT_NEAR(y, -314.0, 1e-4);
  EXPECT_NEAR(z, 200.0, 1e-4);
}

TEST(ImportHostTest, ObjMaterialsWithTheirImages) {
  const HostRun run = SendAndCompare({kModels + "OBJ/spider.obj", true, 0.1});
  // The four materials the meshes use, each with its image beside the model.
  const std::vector<std::string> records = Records(run);
  std::map<std::string, std::string> images;
  for (const std::string& r : records)
    images[Element(r, "Name")] = Element(Element(r, "DiffuseTexture"), "Filepath");
  EXPECT_EQ(images,
            (std::map<std::string, std::string>{{"Skin", kModels + "OBJ/wal67ar_small.jpg"},
                                                {"HLeibTex", kModels + "OBJ/SpiderTex.jpg"},
                                                {"BeinTex", kModels + "OBJ/drkwood2.jpg"},
                                                {"Augentex", kModels + "OBJ/engineflare1.jpg"}}));
  const auto skin = std::find_if(records.begin(), records.end(),
                                 [](const std::string& r) { return Element(r, "Name") == "Skin"; });
  ASSERT_NE(skin, records.end());
  EXPECT_EQ(Element(*skin, "DiffuseColor"), "#D3CAC5");
}

TEST(ImportHostTest, FbxPhysicallyBasedMaterial) {
  const HostRun run = SendAndCompare({kModels + "FBX/maxPbrMaterial_metalRough.fbx", true, 100.0});
  const std::vector<std::string> records = Records(run);
  ASSERT_EQ(records.size(), 1u);
  const std::string& r = records[0];
  EXPECT_EQ(Element(r, "Name"), "PBR Material");
  EXPECT_EQ(Element(r, "DiffuseColor"), "#00FFFF");
  EXPECT_EQ(Element(r, "Metallic"), "0.250000");
  EXPECT_EQ(Element(r, "Roughness"), "0.500000");
  EXPECT_EQ(Element(r, "Opacity"), "0.0");  // an opacity map masks it
  EXPECT_EQ(Element(r, "BumpAmount"), "10.000000");
  const std::string textures = kModels + "FBX/Textures/";
  EXPECT_EQ(Element(Element(r, "DiffuseTexture"), "Filepath"), textures + "albedo.png");
  EXPECT_EQ(Element(Element(r, "BumpTexture"), "Filepath"), textures + "normal.png");
  EXPECT_EQ(Element(Element(r, "MaskTexture"), "Filepath"), textures + "opacity.png");
  EXPECT_EQ(Element(Element(r, "MetalTexture"), "Filepath"), textures + "metalness.png");
  EXPECT_EQ(Element(Element(r, "RoughnessTexture"), "Filepath"), textures + "roughness.png");
}

TEST(ImportHostTest, BadNormalsAreSentAsTheFileHasThem) {
  const HostRun run =
      SendAndCompare({kModels + "glTF2/BoxBadNormals-glTF-Binary/BoxBadNormals.glb", true, 100.0});
  int zero = 0, tenth = 0;
  for (const json& call : run.Calls("AddMesh")) {
    if (!IsMeshNumber(call["name"])) continue;
    const std::vector<float> n = call["normals"];
    for (size_t i = 0; i + 2 < n.size(); i += 3) {
      const double length = std::sqrt(n[i] * n[i] + n[i + 1] * n[i + 1] + n[i + 2] * n[i + 2]);
      zero += length == 0.0;
      tenth += std::fabs(length - 0.1) < 1e-6;
    }
  }
  EXPECT_EQ(zero, 4);
  EXPECT_EQ(tenth, 4);
}

TEST(ImportHostTest, InfiniteVerticesLeaveAnEmptyElement) {
  const HostRun run = SendAndCompare(
      {kModels + "glTF2/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb", true, 100.0});
  // Every vertex has an infinite coordinate: the object's element stays empty.
  for (const json& call : run.Calls("AddMesh")) EXPECT_FALSE(IsMeshNumber(call["name"]));
  const std::vector<std::string> names = run.CallNames();
  const auto begins = std::count(names.begin(), names.end(), "BeginElement");
  EXPECT_EQ(begins, 2);  // the materials element and the object's
  EXPECT_EQ(run.Calls("StartSend").size(), 1u);
}

TEST(ImportHostTest, OutOfRangeCornersAreDroppedByThePlugIn) {
  // glTF: the reader drops the bad face itself; the other 11 arrive.
  HostRun run =
      SendAndCompare({kModels + "glTF2/IndexOutOfRange/IndexOutOfRange.gltf", true, 100.0});
  EXPECT_EQ(Receive(run).sentTriangles, 11u);

  // PLY: the bad face reaches the plug-in, which leaves it out.
  HostSandbox scratch;
  const std::filesystem::path ply = scratch.Root() / "bad.ply";
  std::ofstream(ply) << "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                        "property float y\nproperty float z\nelement face 2\n"
                        "property list uchar int vertex_indices\nend_header\n"
                        "0 0 0\n10 0 0\n0 10 0\n3 0 1 2\n3 0 1 7\n";
  run = SendAndCompare({ply.string(), false, 0.1});
  const auto meshes = run.Calls("AddMesh");
  ASSERT_FALSE(meshes.empty());
  EXPECT_EQ(meshes.back()["indices"], json::parse("[0, 1, 2]"));
  EXPECT_EQ(meshes.back()["positions"].size(), 9u);
}

TEST(ImportHostTest, UnreadableFilesExitWithTwoNamingTheFileAndTheReason) {
  struct Case {
    std::string file, reason;
  };
  for (const Case& c : {Case{kModels + "glTF2/MissingBin/BoxTextured.gltf",
                             "GLTF: could not open referenced file \"BoxTextured0.bin\""},
                        Case{kModels + "glTF2/IndexOutOfRange/AllIndicesOutOfRange.gltf",
                             "Mesh \"Mesh\" has no faces"},
                        Case{kModels + "invalid/empty.obj", "OBJ-file is too small."}}) {
    const auto [status, output] = RunHostForErrors(c.file);
    EXPECT_EQ(status, 2) << c.file;
    EXPECT_NE(output.find("orvex-host: " + c.file + ": " + c.reason), std::string::npos) << output;
  }
}
