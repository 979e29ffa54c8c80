#include "model_file_meshes.h"

RenderMeshKind CachedRenderMeshes(const ON_Geometry& geometry,
                                  std::vector<CachedRenderMesh>* meshes) {
  meshes->clear();
  if (ON_Mesh::Cast(&geometry)) return RenderMeshKind::kMesh;
  if (const ON_Brep* brep = ON_Brep::Cast(&geometry)) {
    meshes->reserve(static_cast<size_t>(brep->m_F.Count()));
    for (int i = 0; i < brep->m_F.Count(); ++i) {
      const ON_BrepFace& face = brep->m_F[i];
      const ON_Mesh* mesh = face.Mesh(ON::render_mesh);
      if (!mesh) {
        meshes->clear();
        return RenderMeshKind::kMissing;
      }
      meshes->push_back({mesh, face.MaterialChannelIndex()});
    }
    return RenderMeshKind::kCached;
  }
  if (const ON_Extrusion* extrusion = ON_Extrusion::Cast(&geometry)) {
    const ON_Mesh* mesh = extrusion->m_mesh_cache.Mesh(ON::render_mesh);
    if (!mesh) return RenderMeshKind::kMissing;
    meshes->push_back({mesh, 0});
    return RenderMeshKind::kCached;
  }
  if (ON_SubD::Cast(&geometry)) return RenderMeshKind::kSubD;
  // Surfaces render in the application, but the file holds no render mesh for them.
  if (ON_Surface::Cast(&geometry)) return RenderMeshKind::kMissing;
  return RenderMeshKind::kNotRendered;
}
