// The files of ORVEX_BRIDGE_OUT=DIR, what the renderer holds, written after the calls that
// change it: DIR/model.gltf (with model.bin and textures/) after each StartSend, and again
// after lights or scenes arrive; DIR/lights.xml after SendLightsDataXml; DIR/scenes.json after
// StartSendScenes; DIR/camera.json after SetCameraTransformFov. Nothing is written while the
// variable is unset or empty; what goes wrong is told on standard error.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "bridge/bridge_api.h"
#include "standin/bridge/renderer_state.h"

namespace orvex_bridge {

// ORVEX_BRIDGE_OUT, read at the time of the call.
std::optional<std::filesystem::path> OutputFolderFromEnvironment();

class SceneOutput {
 public:
  // The glTF holds the model last sent (while it exists), the last lights, the last sent
  // scenes and the last camera.
  void AfterStartSend(const RendererState& state, BridgeModel model);
  void AfterSendLights(const RendererState& state);
  void AfterStartSendScenes(const RendererState& state);
  void AfterSetCamera(const RendererState& state);

 private:
  void WriteGltfLocked(const RendererState& state, const std::filesystem::path& folder);
  template <class TextOf>
  void WriteFile(const RendererState& state, const char* name, bool withGltf, TextOf textOf);

  std::mutex mutex_;
  BridgeModel lastSent_ = 0;
};

// {"documentPath": ..., "scenes": [{"id", "name", "camera": [9 floats], "fov"}, ...]}
std::string ScenesJson(const std::string& documentPath, const std::vector<Scene>& scenes);
// {"camera": [9 floats], "fov": ...}
std::string CameraJson(const Camera& camera);

// Replaces `file` with `text` once the whole text is written; false with a sentence in
// `problems` when it cannot.
bool WriteFileWhole(const std::filesystem::path& file, const std::string& text,
                    std::vector<std::string>& problems);

}  // namespace orvex_bridge
