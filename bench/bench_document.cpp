#include "bench/bench_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "standin/host/sdk_values.h"

namespace bench {
namespace {

ON_Xform Rotation(double angle, const ON_3dVector& axis, const ON_3dPoint& centre) {
  ON_Xform rotation;
  rotation.Rotation(angle, axis, centre);
  return rotation;
}

constexpr std::uint32_t kObjectKind = 1;
constexpr std::uint32_t kMaterialKind = 2;
constexpr std::uint32_t kDefinitionKind = 3;
constexpr std::uint32_t kReferenceKind = 4;
constexpr std::uint32_t kLayerKind = 5;
constexpr std::uint32_t kLightKind = 6;

std::size_t TriangleFaces(const ON_Mesh& mesh) {
  return static_cast<std::size_t>(mesh.TriangleCount() + 2 * mesh.QuadCount());
}

SentMesh SentMeshOf(const ON_Mesh& mesh) {
  SentMesh sent;
  sent.mesh = &mesh;
  const std::size_t v = static_cast<std::size_t>(mesh.VertexCount());
  sent.positionBytes = 3 * v * sizeof(float);
  sent.normalBytes = 3 * v * sizeof(float);
  sent.uvBytes = 2 * v * sizeof(float);
  sent.indexBytes = 3 * TriangleFaces(mesh) * sizeof(int);
  return sent;
}

CRhRdkMaterial& AddMaterial(CRhinoDoc& doc, const std::wstring& name, const ON_UUID& id,
                            ON_Material material) {
  auto content = std::make_unique<CRhRdkMaterial>();
  content->m_name = name.c_str();
  content->m_id = id;
  material.SetName(name.c_str());
  material.SetRdkMaterialInstanceId(id);
  content->m_material = std::move(material);
  return static_cast<CRhRdkMaterial&>(doc.StandinRdk().StandinAdd(std::move(content), true));
}

std::unique_ptr<CRhinoMeshObject> MeshObject(CRhinoDoc* doc, const ON_UUID& id, ON_Mesh mesh,
                                             const ON_UUID& material) {
  auto object = std::make_unique<CRhinoMeshObject>();
  object->StandinAttributes().m_uuid = id;
  object->StandinSetMaterial(material);
  object->StandinSetDocument(doc);
  object->m_mesh = std::move(mesh);
  return object;
}

CRhinoInstanceObject& AddReference(CRhinoDoc& doc, const ON_UUID& id, const ON_UUID& definition,
                                   const ON_Xform& xform) {
  auto reference = std::make_unique<CRhinoInstanceObject>();
  reference->StandinAttributes().m_uuid = id;
  reference->m_definition_id = definition;
  reference->m_xform = xform;
  return static_cast<CRhinoInstanceObject&>(doc.StandinAddObject(std::move(reference)));
}

ON_Texture Texture(ON_Texture::TYPE type, const wchar_t* path, double amount) {
  ON_Texture texture;
  texture.m_type = type;
  texture.m_image_file_reference = host::FileReferenceAsWritten(path);
  texture.m_blend_constant_A = amount;
  return texture;
}

}  // namespace

ON_UUID NumberedUuid(std::uint32_t kind, std::uint32_t number) {
  ON_UUID id;
  // The leading 32 bits differ for every number, so that materials are never
  // taken for one another by their leading digits.
  id.Data1 = 0x10000000u + kind * 0x01000000u + number;
  id.Data2 = static_cast<std::uint16_t>(kind);
  id.Data3 = 0x4000;
  id.Data4[0] = 0x80;
  for (int i = 0; i < 4; ++i) id.Data4[4 + i] = static_cast<unsigned char>(number >> (8 * i));
  return id;
}

ON_Mesh GridMesh(int columns, int rows, bool quads, const ON_3dPoint& origin, double cell) {
  ON_Mesh mesh;
  const int across = columns + 1;
  const int vertices = across * (rows + 1);
  mesh.m_V.Reserve(vertices);
  mesh.m_N.Reserve(vertices);
  mesh.m_T.Reserve(vertices);
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= columns; ++i) {
      const double x = origin.x + i * cell;
      const double y = origin.y + j * cell;
      const double z = origin.z + 0.05 * cell * std::sin(0.3 * i) * std::cos(0.2 * j);
      mesh.m_V.Append(ON_3fPoint(ON_3dPoint(x, y, z)));
      const double nx = -0.015 * std::cos(0.3 * i) * std::cos(0.2 * j);
      const double ny = 0.01 * std::sin(0.3 * i) * std::sin(0.2 * j);
      const double length = std::sqrt(nx * nx + ny * ny + 1.0);
      mesh.m_N.Append(ON_3fVector(static_cast<float>(nx / length), static_cast<float>(ny / length),
                                  static_cast<float>(1.0 / length)));
      mesh.m_T.Append(ON_2fPoint(static_cast<float>(i) / static_cast<float>(columns),
                                 static_cast<float>(j) / static_cast<float>(rows)));
    }
  }
  mesh.m_F.Reserve(quads ? columns * rows : 2 * columns * rows);
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const int a = j * across + i, b = a + 1, c = b + across, d = a + across;
      if (quads) {
        host::AppendFace(mesh, a, b, c, d);
      } else {
        host::AppendFace(mesh, a, b, c, c);
        host::AppendFace(mesh, a, c, d, d);
      }
    }
  }
  return mesh;
}

std::size_t LargeDocument::SentBytes() const {
  std::size_t bytes = placements * 16 * sizeof(float);
  for (const SentMesh& mesh : sentMeshes) bytes += mesh.Bytes();
  return bytes;
}

std::size_t LargeDocument::LargestMeshBytes() const {
  std::size_t largest = 0;
  for (const SentMesh& mesh : sentMeshes) largest = std::max(largest, mesh.Bytes());
  return largest;
}

LargeDocument BuildLargeDocument(const LargeDocumentShape& shape) {
  LargeDocument result;
  result.doc = std::make_unique<CRhinoDoc>();
  CRhinoDoc& doc = *result.doc;
  doc.SetPathName(L"/projects/tower.3dm");
  doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Meters));

  // A grid of cells whose triangle count is the one asked for (two per cell).
  const int cells = std::max(1, shape.trianglesPerObject / 2);
  const int columns = cells % 50 == 0 ? cells / 50 : cells;
  const int rows = cells / columns;

  std::vector<ON_UUID> materials;
  for (int m = 0; m < shape.materials; ++m) {
    ON_Material material;
    material.m_diffuse = ON_Color((m * 37) % 256, (m * 91) % 256, (m * 53) % 256);
    material.m_shine = (m % 10) / 10.0;
    material.m_reflectivity = (m % 7) / 7.0;
    material.SetFresnelReflections(m % 2 == 0);
    if (m % 5 == 0)
      material.m_textures.Append(
          Texture(ON_Texture::TYPE::bitmap_texture, L"/textures/diffuse.png", 1.0));
    if (m % 10 == 3) material.ToPhysicallyBased();
    const ON_UUID id = NumberedUuid(kMaterialKind, static_cast<std::uint32_t>(m));
    AddMaterial(doc, L"Material " + std::to_wstring(m), id, std::move(material));
    materials.push_back(id);
  }
  CRhinoLayer layer;
  layer.SetId(NumberedUuid(kLayerKind, 0));
  layer.SetName(L"Default");
  layer.m_standin_material_id = materials.empty() ? ON_nil_uuid : materials[0];
  layer.m_doc = &doc;
  doc.m_layer_table.AddLayer(layer);

  // Every fourth object has no material of its own and wears its layer's.
  for (int o = 0; o < shape.objects; ++o) {
    const ON_UUID material = materials.empty() || o % 4 == 3
                                 ? ON_nil_uuid
                                 : materials[static_cast<std::size_t>(o) % materials.size()];
    ON_Mesh mesh = GridMesh(columns, rows, false, ON_3dPoint(25.0 * (o % 50), 60.0 * (o / 50), 0));
    CRhinoObject& object = doc.StandinAddObject(MeshObject(
        &doc, NumberedUuid(kObjectKind, static_cast<std::uint32_t>(o)), std::move(mesh), material));
    result.meshObjects.push_back(&object);
    const ON_Mesh& placed = static_cast<CRhinoMeshObject&>(object).m_mesh;
    result.sentMeshes.push_back(SentMeshOf(placed));
    result.triangles += TriangleFaces(placed);
    ++result.placements;
  }

  std::uint32_t referenceNumber = 0;
  for (int d = 0; d < shape.definitions; ++d) {
    auto definition = std::make_unique<CRhinoInstanceDefinition>();
    definition->SetId(NumberedUuid(kDefinitionKind, static_cast<std::uint32_t>(d)));
    definition->SetName((L"Block " + std::to_wstring(d)).c_str());
    definition->m_doc = &doc;
    const ON_UUID material =
        materials.empty() ? ON_nil_uuid : materials[static_cast<std::size_t>(d) % materials.size()];
    CRhinoObject& inner = definition->StandinAddObject(
        MeshObject(&doc, NumberedUuid(kObjectKind, 0x100000u + static_cast<std::uint32_t>(d)),
                   GridMesh(columns, rows, false), material));
    const ON_Mesh& mesh = static_cast<CRhinoMeshObject&>(inner).m_mesh;
    const ON_UUID id = definition->Id();
    doc.m_instance_definition_table.StandinAdd(std::move(definition));
    result.sentMeshes.push_back(SentMeshOf(mesh));
    result.sentMeshes.back().axes = common::MeshAxes::kModel;
    result.triangles += TriangleFaces(mesh);
    for (int r = 0; r < shape.referencesPerDefinition; ++r) {
      const ON_Xform place =
          ON_Xform::TranslationTransformation(ON_3dVector(1500.0 + 30.0 * r, 70.0 * d, 0.0));
      AddReference(doc, NumberedUuid(kReferenceKind, referenceNumber++), id, place);
      ++result.placements;
    }
  }
  return result;
}

bool WriteLargeModelFile(const std::string& path, const LargeDocumentShape& shape,
                         ModelFileContents& contents) {
  ONX_Model model;
  model.m_settings.m_ModelUnitsAndTolerances.m_unit_system = ON::LengthUnitSystem::Meters;
  ON_Layer layer;
  layer.SetName(L"Default");
  model.AddModelComponent(layer);
  std::vector<int> materials;
  for (int m = 0; m < shape.materials; ++m) {
    ON_Material material;
    material.SetName((L"Material " + std::to_wstring(m)).c_str());
    material.SetId(NumberedUuid(kMaterialKind, static_cast<std::uint32_t>(m)));
    material.m_diffuse = ON_Color((m * 37) % 256, (m * 91) % 256, (m * 53) % 256);
    materials.push_back(model.AddModelComponent(material).ModelComponentIndex());
  }
  const int cells = std::max(1, shape.trianglesPerObject / 2);
  const int columns = cells % 50 == 0 ? cells / 50 : cells;
  const int rows = cells / columns;
  std::uint32_t number = 0;
  auto add = [&](ON_Object* geometry, ON::object_mode mode, int material) {
    auto* attributes = new ON_3dmObjectAttributes();
    attributes->m_uuid = NumberedUuid(kObjectKind, number++);
    attributes->SetMode(mode);
    if (material >= 0) {
      attributes->SetMaterialSource(ON::material_from_object);
      attributes->m_material_index = material;
    }
    model.AddManagedModelGeometryComponent(geometry, attributes);
    return attributes->m_uuid;
  };
  auto addMesh = [&](ON_Mesh mesh, ON::object_mode mode, int material) {
    ++contents.meshes;
    contents.triangles += TriangleFaces(mesh);
    contents.meshBytes += static_cast<std::size_t>(mesh.m_V.Count()) *
                              (sizeof(ON_3fPoint) + sizeof(ON_3fVector) + sizeof(ON_2fPoint)) +
                          static_cast<std::size_t>(mesh.m_F.Count()) * sizeof(ON_MeshFace);
    return add(new ON_Mesh(std::move(mesh)), mode, material);
  };
  auto materialOf = [&](int i) {
    return materials.empty() ? -1 : materials[static_cast<std::size_t>(i) % materials.size()];
  };
  for (int o = 0; o < shape.objects; ++o)
    addMesh(GridMesh(columns, rows, false, ON_3dPoint(25.0 * (o % 50), 60.0 * (o / 50), 0)),
            ON::normal_object, o % 4 == 3 ? -1 : materialOf(o));
  for (int d = 0; d < shape.definitions; ++d) {
    ON_InstanceDefinition definition;
    const ON_UUID id = NumberedUuid(kDefinitionKind, static_cast<std::uint32_t>(d));
    definition.SetId(id);
    definition.SetName((L"Block " + std::to_wstring(d)).c_str());
    ON_SimpleArray<ON_UUID> inside;
    inside.Append(addMesh(GridMesh(columns, rows, false), ON::idef_object, materialOf(d)));
    definition.SetInstanceGeometryIdList(inside);
    model.AddModelComponent(definition);
    for (int r = 0; r < shape.referencesPerDefinition; ++r) {
      auto* reference = new ON_InstanceRef();
      reference->m_instance_definition_uuid = id;
      reference->m_xform =
          ON_Xform::TranslationTransformation(ON_3dVector(1500.0 + 30.0 * r, 70.0 * d, 0.0));
      add(reference, ON::normal_object, -1);
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  ON_BinaryFile archive(ON::archive_mode::write3dm, file);
  const bool written = model.Write(archive, 70);
  return std::fclose(file) == 0 && written;
}

std::unique_ptr<CRhinoDoc> BuildVarietyDocument(ON::LengthUnitSystem units) {
  auto docPointer = std::make_unique<CRhinoDoc>();
  CRhinoDoc& doc = *docPointer;
  doc.SetPathName(L"/projects/variety.3dm");
  doc.SetModelUnits(ON_UnitSystem(units));

  // Materials: plain, textured, physically based, one unlisted, and two whose
  // ids share their leading digits (only the first is sent).
  std::vector<ON_UUID> materials;
  for (std::uint32_t m = 0; m < 4; ++m) materials.push_back(NumberedUuid(kMaterialKind, m));
  ON_Material plain;
  plain.m_diffuse = ON_Color(200, 10, 10);
  AddMaterial(doc, L"Red <paint>", materials[0], plain);
  ON_Material textured;
  textured.m_textures.Append(Texture(ON_Texture::TYPE::bitmap_texture, L"/t/wood.jpg", 0.8));
  textured.m_textures.Append(Texture(ON_Texture::TYPE::bump_texture, L"/t/bump.png", 0.3));
  AddMaterial(doc, L"Wood", materials[1], textured);
  ON_Material pbr;
  pbr.ToPhysicallyBased();
  AddMaterial(doc, L"Metal", materials[2], pbr);
  ON_UUID twin = materials[0];
  twin.Data4[7] ^= 0xFF;
  AddMaterial(doc, L"Twin", twin, plain);
  auto unlisted = std::make_unique<CRhRdkMaterial>();
  unlisted->m_name = L"Hidden";
  unlisted->m_id = materials[3];
  unlisted->m_material.SetName(L"Hidden");
  unlisted->m_material.SetRdkMaterialInstanceId(materials[3]);
  doc.StandinRdk().StandinAdd(std::move(unlisted), false);

  CRhinoLayer layer;
  layer.SetId(NumberedUuid(kLayerKind, 0));
  layer.m_standin_material_id = materials[1];
  layer.m_doc = &doc;
  doc.m_layer_table.AddLayer(layer);

  std::uint32_t number = 0;
  auto add = [&](ON_Mesh mesh, const ON_UUID& material) -> CRhinoObject& {
    return doc.StandinAddObject(
        MeshObject(&doc, NumberedUuid(kObjectKind, number++), std::move(mesh), material));
  };
  add(GridMesh(3, 2, true, ON_3dPoint(1, 2, 3), 0.5), materials[0]);
  add(GridMesh(4, 3, false, ON_3dPoint(-5, 0, 0)), materials[1]);
  add(GridMesh(2, 2, false, ON_3dPoint(0, 7, 0)), ON_nil_uuid);  // the layer's material
  // Mixed faces: triangles and quads in one list, quads split both ways.
  ON_Mesh mixed = GridMesh(3, 3, true, ON_3dPoint(4, 4, 0));
  host::AppendFace(mixed, 0, 5, 10, 10);
  mixed.m_V[6] = ON_3fPoint(ON_3dPoint(4.1, 5.9, 0.0));
  add(std::move(mixed), materials[2]);
  // No normals and no texture coordinates; then a short normal list with an
  // invalid entry and a short texture coordinate list.
  ON_Mesh bare = GridMesh(2, 1, false, ON_3dPoint(9, 9, 9));
  bare.m_N.Empty();
  bare.m_T.Empty();
  add(std::move(bare), materials[0]);
  ON_Mesh partial = GridMesh(2, 2, false, ON_3dPoint(-9, -9, 1));
  partial.m_N.SetCount(5);
  partial.m_N[2] = ON_3fVector(std::nanf(""), 0, 0);
  partial.m_T.SetCount(3);
  add(std::move(partial), materials[1]);
  // An unset vertex and a triangle past the vertex list, among good ones.
  ON_Mesh broken = GridMesh(2, 2, false, ON_3dPoint(0, -6, 0));
  broken.m_V[4] = ON_3fPoint(ON_UNSET_FLOAT, ON_UNSET_FLOAT, ON_UNSET_FLOAT);
  host::AppendFace(broken, 0, 1, 99, 99);
  add(std::move(broken), materials[0]);
  // A quad with an unset corner.
  ON_Mesh brokenQuads = GridMesh(2, 1, true, ON_3dPoint(3, -3, 0));
  brokenQuads.m_V[1] = ON_3fPoint(std::nanf(""), 0, 0);
  add(std::move(brokenQuads), materials[2]);
  // Nothing to send: no faces.
  ON_Mesh empty = GridMesh(1, 1, false);
  empty.m_F.Empty();
  add(std::move(empty), materials[0]);
  // Hidden, locked and deleted objects.
  add(GridMesh(1, 1, false, ON_3dPoint(20, 0, 0)), materials[0])
      .StandinAttributes()
      .SetMode(ON::hidden_object);
  add(GridMesh(1, 1, true, ON_3dPoint(21, 0, 0)), materials[1])
      .StandinAttributes()
      .SetMode(ON::locked_object);
  add(GridMesh(1, 1, false, ON_3dPoint(22, 0, 0)), materials[1]).StandinSetDeleted(true);

  // A polysurface with a face material of its own, and one without.
  for (int withFaceMaterial = 0; withFaceMaterial < 2; ++withFaceMaterial) {
    auto brep = std::make_unique<CRhinoBrepObject>();
    brep->StandinAttributes().m_uuid = NumberedUuid(kObjectKind, number++);
    brep->StandinSetMaterial(materials[0]);
    std::vector<CRhinoBrepObject::Face> faces;
    faces.push_back({GridMesh(2, 1, true, ON_3dPoint(0, 0, 5)), ON_nil_uuid});
    faces.push_back({GridMesh(1, 2, false, ON_3dPoint(0, 0, 6)),
                     withFaceMaterial ? materials[2] : ON_nil_uuid});
    faces.push_back({GridMesh(1, 1, false, ON_3dPoint(0, 0, 7)),
                     withFaceMaterial ? materials[3] : ON_nil_uuid});
    brep->StandinSetFaces(std::move(faces));
    doc.StandinAddObject(std::move(brep));
  }

  // Blocks: one of two meshes (quads and triangles), one nesting the first,
  // one without references; references visible, hidden and deleted.
  std::vector<ON_UUID> definitions;
  for (std::uint32_t d = 0; d < 3; ++d) definitions.push_back(NumberedUuid(kDefinitionKind, d));
  auto first = std::make_unique<CRhinoInstanceDefinition>();
  first->SetId(definitions[0]);
  first->m_doc = &doc;
  first->StandinAddObject(MeshObject(&doc, NumberedUuid(kObjectKind, number++),
                                     GridMesh(2, 2, true, ON_3dPoint(0, 0, 0)), materials[0]));
  first->StandinAddObject(MeshObject(&doc, NumberedUuid(kObjectKind, number++),
                                     GridMesh(1, 3, false, ON_3dPoint(1, 0, 0)), materials[2]));
  doc.m_instance_definition_table.StandinAdd(std::move(first));
  auto nested = std::make_unique<CRhinoInstanceDefinition>();
  nested->SetId(definitions[1]);
  nested->m_doc = &doc;
  auto inner = std::make_unique<CRhinoInstanceObject>();
  inner->StandinAttributes().m_uuid = NumberedUuid(kReferenceKind, 900);
  inner->m_definition_id = definitions[0];
  inner->m_xform = Rotation(0.5, ON_3dVector(0, 0, 1), ON_3dPoint(1, 1, 0));
  inner->StandinSetDocument(&doc);
  nested->StandinAddObject(std::move(inner));
  nested->StandinAddObject(MeshObject(&doc, NumberedUuid(kObjectKind, number++),
                                      GridMesh(1, 1, false, ON_3dPoint(0, 0, 2)), materials[1]));
  doc.m_instance_definition_table.StandinAdd(std::move(nested));
  auto unused = std::make_unique<CRhinoInstanceDefinition>();
  unused->SetId(definitions[2]);
  unused->m_doc = &doc;
  unused->StandinAddObject(
      MeshObject(&doc, NumberedUuid(kObjectKind, number++), GridMesh(1, 1, false), materials[0]));
  doc.m_instance_definition_table.StandinAdd(std::move(unused));

  std::uint32_t reference = 0;
  for (int r = 0; r < 3; ++r)
    AddReference(doc, NumberedUuid(kReferenceKind, reference++), definitions[0],
                 ON_Xform::TranslationTransformation(ON_3dVector(10.0 * r, 2.0, 0.5)));
  AddReference(doc, NumberedUuid(kReferenceKind, reference++), definitions[0],
               ON_Xform::DiagonalTransformation(2.0))
      .StandinAttributes()
      .SetMode(ON::hidden_object);
  AddReference(doc, NumberedUuid(kReferenceKind, reference++), definitions[1],
               Rotation(1.0, ON_3dVector(1, 0, 0), ON_3dPoint(0, 3, 0)));
  AddReference(doc, NumberedUuid(kReferenceKind, reference++), definitions[1],
               ON_Xform::IdentityTransformation)
      .StandinSetDeleted(true);
  return docPointer;
}

std::unique_ptr<CRhinoDoc> BuildLightDocument(int lights) {
  auto docPointer = std::make_unique<CRhinoDoc>();
  CRhinoDoc& doc = *docPointer;
  doc.SetPathName(L"/projects/lights & <shadows>.3dm");
  doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Millimeters));
  for (std::uint32_t l = 0; l < 8; ++l) {
    CRhinoLayer layer;
    layer.SetId(NumberedUuid(kLayerKind, l));
    layer.SetName((L"Lights " + std::to_wstring(l)).c_str());
    layer.m_doc = &doc;
    doc.m_layer_table.AddLayer(layer);
  }
  constexpr ON::light_style kStyles[] = {
      ON::light_style::world_point_light,       ON::light_style::world_spot_light,
      ON::light_style::world_linear_light,      ON::light_style::world_rectangular_light,
      ON::light_style::world_directional_light, ON::light_style::world_spot_light,
      ON::light_style::world_point_light,       ON::light_style::ambient_light};
  for (int i = 0; i < lights; ++i) {
    auto object = std::make_unique<CRhinoLight>();
    object->StandinAttributes().m_uuid = NumberedUuid(kLightKind, static_cast<std::uint32_t>(i));
    object->StandinAttributes().m_layer_index = i % 8;
    object->StandinSetDocument(&doc);
    ON_Light& light = object->m_light;
    light.m_light_id = object->Id();
    light.SetLightName((L"Light " + std::to_wstring(i)).c_str());
    light.SetStyle(kStyles[i % 8]);
    light.SetLocation(ON_3dPoint(100.0 * (i % 40), 250.0 * (i / 40), 2800.0));
    light.SetDirection(ON_3dVector(0.1 * (i % 3), -0.2, -1.0));
    light.SetLength(ON_3dVector(600.0, 0.0, 0.0));
    light.SetWidth(ON_3dVector(0.0, 300.0 + i % 5, 0.0));
    doc.m_light_table.StandinAdd(std::move(object));
  }
  return docPointer;
}

std::vector<ON_Material> BuildMaterials(int count) {
  std::vector<ON_Material> materials;
  materials.reserve(static_cast<std::size_t>(count));
  for (int m = 0; m < count; ++m) {
    ON_Material material;
    material.SetName(
        (L"Material " + std::to_wstring(m) + (m % 17 == 0 ? L" & <co>" : L"")).c_str());
    material.SetRdkMaterialInstanceId(NumberedUuid(kMaterialKind, static_cast<std::uint32_t>(m)));
    material.m_diffuse = ON_Color((m * 37) % 256, (m * 91) % 256, (m * 53) % 256);
    material.m_emission = m % 9 == 0 ? ON_Color(255, 200, 100) : ON_Color(0, 0, 0);
    material.m_transparency = (m % 4) * 0.25;
    material.m_shine = (m % 10) / 10.0;
    material.m_reflectivity = (m % 7) / 7.0;
    material.SetFresnelReflections(m % 2 == 0);
    material.m_index_of_refraction = 1.0 + (m % 6) * 0.1;
    if (m % 3 == 0) {
      ON_Texture diffuse = Texture(ON_Texture::TYPE::bitmap_texture, L"/textures/brick.png", 1.0);
      if (m % 6 == 0)
        diffuse.m_uvw = Rotation(0.3, ON_3dVector(0, 0, 1), ON_3dPoint(0, 0, 0)) *
                        ON_Xform::DiagonalTransformation(2.0);
      material.m_textures.Append(diffuse);
      material.m_textures.Append(
          Texture(ON_Texture::TYPE::bump_texture, L"/textures/bump.png", 0.4));
    }
    if (m % 5 == 1)
      material.m_textures.Append(
          Texture(ON_Texture::TYPE::transparency_texture, L"/textures/mask.png", 1.0));
    if (m % 4 == 2) {
      material.ToPhysicallyBased();
      material.m_textures.Append(
          Texture(ON_Texture::TYPE::pbr_metallic_texture, L"/textures/metal.png", 1.0));
      material.m_textures.Append(
          Texture(ON_Texture::TYPE::pbr_roughness_texture, L"/textures/rough.png", 1.0));
    }
    materials.push_back(std::move(material));
  }
  return materials;
}

void CopySourceArrays(const SentMesh& mesh, char*& out) {
  std::memcpy(out, mesh.mesh->m_V.Array(), mesh.positionBytes);
  out += mesh.positionBytes;
  std::memcpy(out, mesh.mesh->m_N.Array(), mesh.normalBytes);
  out += mesh.normalBytes;
  std::memcpy(out, mesh.mesh->m_T.Array(), mesh.uvBytes);
  out += mesh.uvBytes;
  std::memcpy(out, mesh.mesh->m_F.Array(), mesh.indexBytes);
  out += mesh.indexBytes;
}

void CopyPlacements(std::size_t count, char*& out) {
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(out, identity, sizeof identity);
    out += sizeof identity;
  }
}

}  // namespace bench
