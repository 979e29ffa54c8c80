#include "common/sdk_text.h"
#include "model_export/mesh_buffers.h"
#include "model_export/model_exporter.h"

namespace model_export {

bool CheckBridgeCounts(std::size_t vertices, std::size_t indices) {
  if (BridgeCountsFit(vertices, indices)) return true;
  RhinoApp().Print(L"mesh too large to send: %llu vertices, %llu triangles\n",
                   static_cast<unsigned long long>(vertices),
                   static_cast<unsigned long long>(indices / 3));
  return false;
}

std::vector<MeshJob> ModelExporter::MeshJobs(const ON_ClassArray<CRhinoObjRef>& refs,
                                             common::MeshAxes axes) {
  std::vector<MeshJob> jobs;
  jobs.reserve(static_cast<std::size_t>(refs.Count()));
  for (const CRhinoObjRef& ref : common::Items(refs))
    if (Converts(ref)) jobs.push_back({ref.Mesh(), axes});
  return jobs;
}

bool ModelExporter::SendMesh(const ConvertedMesh& converted, common::MeshAxes axes,
                             const bridge::Text& materialKey) {
  if (!converted.sendable) return false;
  const MeshBuffers& buffers = converted.buffers;
  // Counts that wrap would hand the renderer a wrong size for its copy; such
  // a mesh is left out, as one with nothing to send is, and said so.
  if (!CheckBridgeCounts(buffers.positions.size() / 3, buffers.indices.size())) return false;

  // The number is spent once the mesh goes out, whether or not the bridge
  // has the exports to take it.
  const bridge::Text name(MeshName(m_mesh_counter++));
  m_bridge.AddMesh(m_model, name, buffers.positions.data(),
                   static_cast<int>(buffers.positions.size()), buffers.normals.data(),
                   static_cast<int>(buffers.normals.size()), buffers.uvs.data(),
                   static_cast<int>(buffers.uvs.size()), buffers.indices.data(),
                   static_cast<int>(buffers.indices.size()));
  if (axes == common::MeshAxes::kRenderer)
    m_bridge.AddInstance(m_model, name, materialKey, kIdentityTransform);
  return true;
}

}  // namespace model_export
