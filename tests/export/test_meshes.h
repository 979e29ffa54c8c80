// Meshes and documents built in code for the export tests.
#pragma once

#include <initializer_list>
#include <memory>
#include <utility>

#include "RhinoSdk.h"

namespace export_test {

// A triangle mesh from vertex triples and index triples.
inline ON_Mesh TriangleMesh(std::initializer_list<ON_3fPoint> vertices,
                            std::initializer_list<std::initializer_list<int>> triangles) {
  ON_Mesh mesh;
  for (const ON_3fPoint& p : vertices) mesh.m_V.Append(p);
  for (const auto& t : triangles) {
    const int* i = t.begin();
    mesh.AppendTriangle(i[0], i[1], i[2]);
  }
  return mesh;
}

// One triangle on the unit corner of the xy plane.
inline ON_Mesh UnitTriangle() {
  return TriangleMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
}

// An axis-aligned box from min to max: 8 vertices and 6 quads.
inline ON_Mesh BoxMesh(const ON_3dPoint& mn, const ON_3dPoint& mx) {
  ON_Mesh mesh;
  for (int k = 0; k < 8; ++k)
    mesh.m_V.Append(ON_3fPoint(
        ON_3dPoint((k & 1) ? mx.x : mn.x, (k & 2) ? mx.y : mn.y, (k & 4) ? mx.z : mn.z)));
  mesh.AppendQuad(0, 2, 3, 1);
  mesh.AppendQuad(4, 5, 7, 6);
  mesh.AppendQuad(0, 1, 5, 4);
  mesh.AppendQuad(2, 6, 7, 3);
  mesh.AppendQuad(0, 4, 6, 2);
  mesh.AppendQuad(1, 3, 7, 5);
  return mesh;
}

// A mesh object with the given render mesh, added to the document.
inline CRhinoMeshObject& AddMeshObject(CRhinoDoc& doc, ON_Mesh mesh,
                                       const ON_UUID& material = ON_nil_uuid) {
  auto object = std::make_unique<CRhinoMeshObject>();
  object->StandinAttributes().m_uuid = ON_CreateUuid();
  object->StandinAttributes().m_material_id = material;
  object->m_mesh = std::move(mesh);
  return static_cast<CRhinoMeshObject&>(doc.StandinAddObject(std::move(object)));
}

// A material named `name` with RDK instance id `id`, in the document's
// material contents (and its material list when listed).
inline CRhRdkMaterial& AddMaterial(CRhinoDoc& doc, const wchar_t* name, const ON_UUID& id,
                                   bool listed = true) {
  auto material = std::make_unique<CRhRdkMaterial>();
  material->m_name = name;
  material->m_id = id;
  material->m_material.SetName(name);
  material->m_material.SetRdkMaterialInstanceId(id);
  return static_cast<CRhRdkMaterial&>(doc.StandinRdk().StandinAdd(std::move(material), listed));
}

inline ON_UUID Uuid(const char* text) { return ON_UuidFromString(text); }

}  // namespace export_test
