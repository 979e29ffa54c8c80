// The renderer's content as one glTF 2.0 document: a root node that turns the renderer frame
// into glTF's, holding one node per element (named by its id, in the order the elements first
// arrived), and under it one node per instance (named by its mesh) with that mesh, its
// material and its transform; then the light groups and lights, one camera per scene and the
// last camera.
#pragma once

#include <tiny_gltf.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "standin/bridge/light_reader.h"
#include "standin/bridge/received_model.h"
#include "standin/bridge/texture_files.h"

namespace orvex_bridge {

struct RendererContent {
  std::optional<Model> model;
  std::optional<LightDescription> lights;
  std::vector<Scene> scenes;
  std::optional<Camera> camera;
};

// Builds the document; what cannot be represented as received (a record that does not parse,
// an image that cannot be used, triangles with vertex numbers out of range, a transform that is
// not finite) adds a sentence to `problems`. The binary buffer is named model.bin.
tinygltf::Model BuildGltf(const RendererContent& content, TextureFiles& textures,
                          std::vector<std::string>& problems);

// Writes `folder`/model.gltf and `folder`/model.bin, each replaced only once complete, and the
// texture images under `folder`/textures/.
void WriteGltfFiles(tinygltf::Model& gltf, const TextureFiles& textures,
                    const std::filesystem::path& folder, std::vector<std::string>& problems);

}  // namespace orvex_bridge
