#include "standin/bridge/scene_output.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "standin/bridge/environment.h"
#include "standin/bridge/gltf_writer.h"
#include "standin/bridge/json_line.h"
#include "standin/bridge/light_reader.h"
#include "standin/bridge/texture_files.h"

namespace orvex_bridge {
namespace fs = std::filesystem;

namespace {

void Report(const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "OrvexPlugin: %s\n", problem.c_str());
  }
  std::fflush(stderr);
}

void AppendCamera(std::string& out, const std::array<float, 9>& camera, float fov) {
  out += "\"camera\":[";
  for (std::size_t i = 0; i < camera.size(); ++i) {
    if (i > 0) out += ',';
    AppendJsonFloat(out, camera[i]);
  }
  out += "],\"fov\":";
  AppendJsonFloat(out, fov);
}

// Where relative texture paths are looked up: the working folder, then the document's folder.
std::vector<fs::path> TextureSearchFolders(const RendererSnapshot& snapshot) {
  std::vector<fs::path> folders;
  std::error_code error;
  folders.push_back(fs::current_path(error));
  for (const std::string& document : {snapshot.modelFilePath, snapshot.startLinkPath}) {
    if (!document.empty()) folders.push_back(fs::u8path(document).parent_path());
  }
  return folders;
}

}  // namespace

std::optional<fs::path> OutputFolderFromEnvironment() {
  const std::optional<std::string> folder = EnvironmentText("ORVEX_BRIDGE_OUT");
  if (!folder || folder->empty()) return std::nullopt;
  return fs::u8path(*folder);
}

std::string ScenesJson(const std::string& documentPath, const std::vector<Scene>& scenes) {
  std::string out = "{\"documentPath\":";
  AppendJsonString(out, documentPath);
  out += ",\"scenes\":[";
  for (std::size_t i = 0; i < scenes.size(); ++i) {
    out += i > 0 ? ",\n{\"id\":" : "\n{\"id\":";
    AppendJsonString(out, scenes[i].id);
    out += ",\"name\":";
    AppendJsonString(out, scenes[i].name);
    out += ',';
    AppendCamera(out, scenes[i].camera, scenes[i].fov);
    out += '}';
  }
  out += "]}\n";
  return out;
}

std::string CameraJson(const Camera& camera) {
  std::string out = "{";
  AppendCamera(out, camera.camera, camera.fov);
  out += "}\n";
  return out;
}

bool WriteFileWhole(const fs::path& file, const std::string& text,
                    std::vector<std::string>& problems) {
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  fs::path partial = file;
  partial += ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) {
      problems.push_back("the file " + file.u8string() + " cannot be written");
      fs::remove(partial, error);
      return false;
    }
  }
  fs::rename(partial, file, error);
  if (error) {
    problems.push_back("the file " + file.u8string() + " cannot be written: " + error.message());
    fs::remove(partial, error);
    return false;
  }
  return true;
}

void SceneOutput::WriteGltfLocked(const RendererState& state, const fs::path& folder) {
  const RendererSnapshot snapshot = state.Snapshot();
  std::vector<std::string> problems;
  RendererContent content;
  if (lastSent_ != 0) content.model = state.CopyModel(lastSent_);
  if (snapshot.lights) {
    content.lights = ReadLightDescription(snapshot.lights->xml, problems);
  }
  if (snapshot.sentScenes) content.scenes = *snapshot.sentScenes;
  content.camera = snapshot.camera;
  TextureFiles textures(TextureSearchFolders(snapshot));
  tinygltf::Model gltf = BuildGltf(content, textures, problems);
  WriteGltfFiles(gltf, textures, folder, problems);
  Report(problems);
}

void SceneOutput::AfterStartSend(const RendererState& state, BridgeModel model) {
  const auto folder = OutputFolderFromEnvironment();
  if (!folder) return;
  std::lock_guard<std::mutex> lock(mutex_);
  lastSent_ = model;
  WriteGltfLocked(state, *folder);
}

// Writes one file of the folder with the text that textOf gives for the
// renderer's state (nothing when it gives none), then, withGltf, the glTF of
// what the renderer holds.
template <class TextOf>
void SceneOutput::WriteFile(const RendererState& state, const char* name, bool withGltf,
                            TextOf textOf) {
  const auto folder = OutputFolderFromEnvironment();
  if (!folder) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const std::optional<std::string> text = textOf(state.Snapshot());
  if (!text) return;
  std::vector<std::string> problems;
  WriteFileWhole(*folder / name, *text, problems);
  Report(problems);
  if (withGltf) WriteGltfLocked(state, *folder);
}

void SceneOutput::AfterSendLights(const RendererState& state) {
  WriteFile(state, "lights.xml", true, [](const RendererSnapshot& snapshot) {
    return std::optional<std::string>(snapshot.lights ? snapshot.lights->xml : std::string());
  });
}

void SceneOutput::AfterStartSendScenes(const RendererState& state) {
  WriteFile(state, "scenes.json", true, [](const RendererSnapshot& snapshot) {
    return std::optional<std::string>(ScenesJson(
        snapshot.scenesDocumentPath, snapshot.sentScenes.value_or(std::vector<Scene>{})));
  });
}

void SceneOutput::AfterSetCamera(const RendererState& state) {
  WriteFile(state, "camera.json", false, [](const RendererSnapshot& snapshot) {
    return snapshot.camera ? std::optional<std::string>(CameraJson(*snapshot.camera))
                           : std::nullopt;
  });
}

}  // namespace orvex_bridge
