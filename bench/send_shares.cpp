#include "bench/send_shares.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "bench/bench_clock.h"
#include "bridge/library_location.h"
#include "common/renderer_frame.h"
#include "platform/platform.h"

namespace bench {
namespace {}  // namespace

double ConversionSeconds(const CRhinoDoc& doc, const std::vector<SentMesh>& meshes,
                         model_export::MeshBuffers& buffers) {
  const common::RendererFrame frame(&doc);
  const auto start = Clock::now();
  for (const SentMesh& m : meshes) {
    const bool sent = model_export::ConvertMesh(*m.mesh, frame, m.axes, buffers);
    benchmark::DoNotOptimize(sent);
  }
  return Seconds(Clock::now() - start);
}

double ReferenceLookUpSeconds(const CRhinoDoc& doc) {
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  const auto start = Clock::now();
  for (int i = 0; i < table.InstanceDefinitionCount(); ++i) {
    ON_SimpleArray<const CRhinoInstanceObject*> references;
    table[i]->GetReferences(references, 0);
    benchmark::DoNotOptimize(references.Count());
  }
  return Seconds(Clock::now() - start);
}

double BridgeSeconds(const CRhinoDoc& doc, const std::vector<SentMesh>& meshes,
                     std::size_t placements, const bridge::Bridge& bridge,
                     model_export::MeshBuffers& buffers) {
  const common::RendererFrame frame(&doc);
  const auto objects =
      static_cast<std::size_t>(std::count_if(meshes.begin(), meshes.end(), [](const SentMesh& m) {
        return m.axes == common::MeshAxes::kRenderer;
      }));
  const std::size_t perDefinitionMesh =
      (placements - objects) / std::max<std::size_t>(1, meshes.size() - objects);
  const BridgeModel model = bridge.CreateModel();
  double seconds = 0;
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    const SentMesh& m = meshes[i];
    model_export::ConvertMesh(*m.mesh, frame, m.axes, buffers);
    const bridge::Text id(std::to_wstring(i));
    const bridge::Text name(model_export::MeshName(number++));
    const bridge::Text key(L"Material 1_1000");
    const auto start = Clock::now();
    bridge.BeginElement(model, id);
    bridge.AddMesh(model, name, buffers.positions.data(),
                   static_cast<int>(buffers.positions.size()), buffers.normals.data(),
                   static_cast<int>(buffers.normals.size()), buffers.uvs.data(),
                   static_cast<int>(buffers.uvs.size()), buffers.indices.data(),
                   static_cast<int>(buffers.indices.size()));
    const std::size_t placed = m.axes == common::MeshAxes::kRenderer ? 1 : perDefinitionMesh;
    for (std::size_t p = 0; p < placed; ++p)
      bridge.AddInstance(model, name, key, model_export::kIdentityTransform);
    bridge.EndElement();
    seconds += Seconds(Clock::now() - start);
  }
  bridge.DestroyModel(model);
  return seconds;
}

CopiedBytesFn BridgeCopiedBytes() {
  return reinterpret_cast<CopiedBytesFn>(platform::FindExport(
      platform::LoadLibraryFromPath(bridge::LibraryPath(bridge::PlugInFolder())),
      "OrvexBenchCopiedBytes"));
}

}  // namespace bench
