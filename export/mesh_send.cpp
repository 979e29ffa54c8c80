#include "bridge/bridge_exports.h"
#include "bridge/bridge_loader.h"
#include "bridge/bridge_text.h"
#include "export/mesh_buffers.h"
#include "export/model_exporter.h"
#include "plugin/sdk_helpers.h"

bool ModelExporter::SendMesh(const ON_Mesh& mesh, bool exchange, const ON_wString& materialKey) {
  MeshBuffers& buffers = m_mesh_buffers;
  if (!ConvertMesh(mesh, m_scale, exchange, buffers)) return false;
  // Counts that wrap would hand the renderer a wrong size for its copy; such
  // a mesh is left out, as one with nothing to send is, and said so.
  const std::size_t vertices = buffers.positions.size() / 3;
  if (!BridgeCountsFit(vertices, buffers.indices.size())) {
    RhinoApp().Print(L"mesh too large to send: %llu vertices, %llu triangles\n",
                     static_cast<unsigned long long>(vertices),
                     static_cast<unsigned long long>(buffers.indices.size() / 3));
    return false;
  }

  // The number is spent once the mesh goes out, whether or not the bridge
  // has the exports to take it.
  const BridgeText name(MeshName(m_mesh_counter++));
  // The fourth buffer slot is never filled.
  ORVEX_BRIDGE_CALL(*m_bridge, AddMesh, m_model, name.c_str(), buffers.positions.data(),
                    static_cast<int>(buffers.positions.size()), buffers.normals.data(),
                    static_cast<int>(buffers.normals.size()), buffers.uvs.data(),
                    static_cast<int>(buffers.uvs.size()), static_cast<const float*>(nullptr), 0,
                    buffers.indices.data(), static_cast<int>(buffers.indices.size()));
  if (exchange) {
    const BridgeText key(WideText(materialKey));
    ORVEX_BRIDGE_CALL(*m_bridge, AddInstance, m_model, name.c_str(), key.c_str(),
                      kIdentityTransform);
  }
  return true;
}
