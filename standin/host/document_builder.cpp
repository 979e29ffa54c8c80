#include "document_builder.h"

#include <memory>
#include <utility>
#include <vector>

#include "standin/host/sdk_values.h"

using host::OnText;

namespace document_file {

namespace {

void AddMaterial(const MaterialDescription& m, CRhinoDoc& doc) {
  auto content = std::make_unique<CRhRdkMaterial>();
  content->m_id = m.id;
  content->m_name = OnText(m.name);
  ON_Material& material = content->m_material;
  material.SetId(m.id);
  material.SetName(OnText(m.name));
  material.SetRdkMaterialInstanceId(m.id);
  if (m.diffuse) material.m_diffuse = *m.diffuse;
  if (m.emission) material.m_emission = *m.emission;
  if (m.transparency) material.m_transparency = *m.transparency;
  if (m.reflectivity) material.m_reflectivity = *m.reflectivity;
  if (m.fresnel) material.SetFresnelReflections(*m.fresnel);
  if (m.shine) material.m_shine = *m.shine;
  if (m.ior) material.m_index_of_refraction = *m.ior;
  if (m.pbr) {
    const PhysicallyBasedDescription& p = *m.pbr;
    material.ToPhysicallyBased();
    // The physically based view of the material: a new one at each call, kept while used.
    const std::shared_ptr<ON_PhysicallyBasedMaterial> pbr = material.PhysicallyBased();
    if (p.baseColor) pbr->SetBaseColor(*p.baseColor);
    if (p.emission) pbr->SetEmission(*p.emission);
    if (p.opacity) pbr->SetOpacity(*p.opacity);
    if (p.roughness) pbr->SetRoughness(*p.roughness);
    if (p.metallic) pbr->SetMetallic(*p.metallic);
    if (p.specular) pbr->SetSpecular(*p.specular);
    if (p.opacityIor) pbr->SetOpacityIOR(*p.opacityIor);
  }
  for (const ON_Texture& texture : m.textures) material.m_textures.Append(texture);
  doc.StandinRdk().StandinAdd(std::move(content), m.listed);
}

void AddLayer(const LayerDescription& l, CRhinoDoc& doc) {
  CRhinoLayer layer(l.layer);
  layer.m_standin_material_id = l.material;
  doc.m_layer_table.AddLayer(layer);
}

std::unique_ptr<CRhinoObject> ObjectOf(const ObjectDescription& o) {
  std::unique_ptr<CRhinoObject> object;
  switch (o.kind) {
    case ObjectKind::kInstance: {
      auto reference = std::make_unique<CRhinoInstanceObject>();
      reference->m_definition_id = o.definition;
      if (o.xform) reference->m_xform = *o.xform;
      object = std::move(reference);
      break;
    }
    case ObjectKind::kPolysurface: {
      std::vector<CRhinoBrepObject::Face> faces(o.faces.size());
      for (size_t i = 0; i < faces.size(); ++i) {
        faces[i].material_id = o.faces[i].material;
        faces[i].mesh = o.faces[i].mesh;
      }
      auto brep = std::make_unique<CRhinoBrepObject>();
      brep->StandinSetFaces(std::move(faces));
      object = std::move(brep);
      break;
    }
    case ObjectKind::kMesh: {
      auto meshObject = std::make_unique<CRhinoMeshObject>();
      meshObject->m_mesh = o.mesh;
      object = std::move(meshObject);
      break;
    }
  }
  ON_3dmObjectAttributes& a = object->StandinAttributes();
  a.m_uuid = o.id;
  a.m_name = OnText(o.name);
  a.m_layer_index = o.layerIndex;
  if (o.material) object->StandinSetMaterial(*o.material);
  if (o.state) {
    switch (*o.state) {
      case ObjectState::kNormal: a.SetMode(ON::object_mode::normal_object); break;
      case ObjectState::kLocked: a.SetMode(ON::object_mode::locked_object); break;
      case ObjectState::kHidden: a.SetMode(ON::object_mode::hidden_object); break;
      case ObjectState::kDeleted: object->StandinSetDeleted(true); break;
    }
  }
  if (o.reference) object->StandinSetReference(*o.reference);
  if (o.active) object->StandinSetActive(*o.active);
  return object;
}

void AddDefinition(const DefinitionDescription& d, CRhinoDoc& doc) {
  auto definition = std::make_unique<CRhinoInstanceDefinition>();
  definition->SetId(d.id);
  definition->SetName(OnText(d.name));
  if (d.deleted) definition->SetDeletedModelComponentState(*d.deleted, nullptr);
  if (d.hidden) definition->SetHiddenModelComponentState(*d.hidden);
  definition->m_doc = &doc;
  for (const ObjectDescription& o : d.objects) {
    auto object = ObjectOf(o);
    object->StandinSetDocument(&doc);
    object->StandinSetActive(false);  // definition geometry is not in the document itself
    definition->StandinAddObject(std::move(object));
  }
  doc.m_instance_definition_table.StandinAdd(std::move(definition));
}

void AddLight(const LightDescription& l, CRhinoDoc& doc) {
  auto light = std::make_unique<CRhinoLight>();
  light->m_light = l.light;
  ON_3dmObjectAttributes& a = light->StandinAttributes();
  a.m_uuid = l.light.m_light_id;
  a.m_name = l.light.LightName();
  a.m_layer_index = l.layerIndex;
  if (l.deleted) light->StandinSetDeleted(*l.deleted);
  if (l.active) light->StandinSetActive(*l.active);
  light->StandinSetDocument(&doc);
  doc.m_light_table.StandinAdd(std::move(light));
}

}  // namespace

void BuildDocument(const DocumentDescription& description, CRhinoDoc& doc) {
  if (description.path) doc.SetPathName(OnText(*description.path));
  if (description.units) doc.SetModelUnits(ON_UnitSystem(*description.units));
  for (const MaterialDescription& m : description.materials) AddMaterial(m, doc);
  for (const LayerDescription& l : description.layers) AddLayer(l, doc);
  for (const DefinitionDescription& d : description.definitions) AddDefinition(d, doc);
  for (const ObjectDescription& o : description.objects) doc.StandinAddObject(ObjectOf(o));
  for (const LightDescription& l : description.lights) AddLight(l, doc);
  for (const ON_3dmView& view : description.namedViews)
    doc.StandinProperties().StandinAddNamedView(view);
}

}  // namespace document_file
