// Builds renderer content for the glTF writer tests, writes it into a temporary folder, reads
// the file back and validates it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "standin/bridge/gltf_writer.h"
#include "tests/gltf_support/gltf_file.h"
#include "tests/standin_bridge/bridge_library.h"

namespace orvex_bridge_test {

using orvex_bridge::Instance;
using orvex_bridge::Mesh;
using orvex_bridge::Model;

// A box mesh of 8 vertices and 12 triangles (outward winding) between two corners, with unit
// normals and texture coordinates, in the frame the corners are given in.
Mesh BoxMesh(const std::string& name, const std::array<float, 3>& low,
             const std::array<float, 3>& high);

// The same box as the plug-in sends a block definition's mesh: normals negated.
Mesh PlainModeBoxMesh(const std::string& name, const std::array<float, 3>& low,
                      const std::array<float, 3>& high);

// A box given by Rhino corners in metres, as the plug-in sends an ordinary object: in the
// renderer frame (X and Y exchanged), centimetres.
Mesh RhinoBoxInRenderer(const std::string& name, const std::array<float, 3>& lowMetres,
                        const std::array<float, 3>& highMetres);

// The 16 floats the plug-in sends for a block reference: X (Rhino, row by row, model units)
// and the scale s (centimetres per model unit) as E S X S^-1, column by column.
std::array<float, 16> BlockTransform(const std::array<double, 16>& rhinoRows, double s);

constexpr std::array<float, 16> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void AddElement(Model& model, const std::string& id, std::vector<Instance> instances);
void AddMesh(Model& model, Mesh mesh);

// The written glTF of `content`, read back, with the problems the writer reported.
struct Written {
  std::unique_ptr<TempDir> folder;
  std::vector<std::string> problems;
  std::unique_ptr<gltf_test::GltfFile> gltf;
};
Written WriteAndRead(const orvex_bridge::RendererContent& content);

}  // namespace orvex_bridge_test
