// Meshes and documents built in code for the export tests.
#pragma once

#include <initializer_list>
#include <memory>
#include <utility>

#include "RhinoSdk.h"
#include "standin/host/sdk_values.h"

namespace model_export_test {

using host::NewUuid;

// A quad appended to the mesh's faces.
inline void AppendQuad(ON_Mesh& mesh, int a, int b, int c, int d) {
  host::AppendFace(mesh, a, b, c, d);
}

// A triangle appended to the mesh's faces: its third corner repeated as the fourth.
inline void AppendTriangle(ON_Mesh& mesh, int a, int b, int c) { AppendQuad(mesh, a, b, c, c); }

// A vertex as written in a test: three coordinates.
struct Xyz {
  float x, y, z;
};

// A triangle mesh from vertex triples and index triples.
inline ON_Mesh TriangleMesh(std::initializer_list<Xyz> vertices,
                            std::initializer_list<std::initializer_list<int>> triangles) {
  ON_Mesh mesh;
  for (const Xyz& p : vertices) mesh.m_V.Append(ON_3fPoint(p.x, p.y, p.z));
  for (const auto& t : triangles) {
    const int* i = t.begin();
    AppendTriangle(mesh, i[0], i[1], i[2]);
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
  AppendQuad(mesh, 0, 2, 3, 1);
  AppendQuad(mesh, 4, 5, 7, 6);
  AppendQuad(mesh, 0, 1, 5, 4);
  AppendQuad(mesh, 2, 6, 7, 3);
  AppendQuad(mesh, 0, 4, 6, 2);
  AppendQuad(mesh, 1, 3, 7, 5);
  return mesh;
}

// A mesh object with the given render mesh, added to the document.
inline CRhinoMeshObject& AddMeshObject(CRhinoDoc& doc, ON_Mesh mesh,
                                       const ON_UUID& material = ON_nil_uuid) {
  auto object = std::make_unique<CRhinoMeshObject>();
  object->StandinAttributes().m_uuid = NewUuid();
  object->StandinSetMaterial(material);
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

}  // namespace model_export_test
