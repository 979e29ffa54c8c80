#include "subd_render_mesh.h"

#include <unordered_map>

bool SubDRenderMesh(const ON_SubD& source, ON_Mesh* mesh) {
  mesh->Destroy();
  ON_SubD subd(source);
  if (subd.FaceCount() == 0 || !subd.GlobalSubdivide(kSubDRenderMeshLevel)) return false;
  std::unordered_map<unsigned int, int> index;  // vertex id -> mesh vertex
  index.reserve(subd.VertexCount());
  mesh->m_V.Reserve(subd.VertexCount());
  mesh->m_N.Reserve(subd.VertexCount());
  ON_SubDVertexIterator vertices(subd);
  for (const ON_SubDVertex* v = vertices.FirstVertex(); v; v = vertices.NextVertex()) {
    index[v->m_id] = mesh->m_V.Count();
    mesh->m_V.Append(ON_3fPoint(v->SurfacePoint()));
    mesh->m_N.Append(ON_3fVector(v->SurfaceNormal(nullptr, true)));
  }
  // After one subdivision every face is a quad.
  mesh->m_F.Reserve(subd.FaceCount());
  ON_SubDFaceIterator faces(subd);
  for (const ON_SubDFace* f = faces.FirstFace(); f; f = faces.NextFace()) {
    if (f->EdgeCount() != 4) continue;
    ON_MeshFace& face = mesh->m_F.AppendNew();
    for (unsigned int k = 0; k < 4; ++k) face.vi[k] = index.at(f->Vertex(k)->m_id);
  }
  if (mesh->m_F.Count() == 0 || !mesh->IsValid()) {
    mesh->Destroy();
    return false;
  }
  return true;
}
