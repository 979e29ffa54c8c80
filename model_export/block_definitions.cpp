#include <cstdint>
#include <vector>

#include "common/element_id.h"
#include "common/sdk_text.h"
#include "model_export/mesh_buffers.h"
#include "model_export/model_exporter.h"

namespace model_export {

using common::Items;

void ModelExporter::SendBlockDefinitions(const CRhinoDoc& doc) {
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  for (int i = 0; i < table.InstanceDefinitionCount(); ++i) {
    if (CancelRequested()) return;
    const CRhinoInstanceDefinition* definition = table[i];
    if (!definition || definition->IsDeleted() || definition->IsHidden()) continue;
    ON_SimpleArray<const CRhinoInstanceObject*> references;
    definition->GetReferences(references, 0);
    if (references.Count() > 0) SendBlockDefinition(references, *definition);
  }
}

void ModelExporter::SendBlockDefinition(
    const ON_SimpleArray<const CRhinoInstanceObject*>& references,
    const CRhinoInstanceDefinition& definition) {
  m_bridge.BeginElement(m_model, bridge::Text(common::UuidToText(definition.Id())));

  // The definition's meshes, once, in definition coordinates and model axes;
  // nested block references are expanded in place.
  ON_SimpleArray<const CRhinoObject*> objects;
  for (int i = 0; i < definition.ObjectCount(); ++i) objects.Append(definition.Object(i));
  ON_ClassArray<CRhinoObjRef> refs;
  RhinoGetRenderMeshes(objects, refs, true, false);
  // The name and material key of each mesh sent, in sending order, as every
  // placement names them.
  struct SentMesh {
    bridge::Text name;
    bridge::Text key;
  };
  std::vector<SentMesh> sent;
  ConversionRun meshes(m_converter, m_frame, MeshJobs(refs, common::MeshAxes::kModel));
  for (const CRhinoObjRef& ref : Items(refs)) {
    if (!Converts(ref)) continue;
    // Here the key is taken whatever the material's name.
    const bridge::Text& key = m_material_keys.Of(ref.Object()->ObjectMaterial());
    const std::uint32_t number = m_mesh_counter;
    if (!SendMesh(meshes.Next(), common::MeshAxes::kModel, key)) continue;
    sent.push_back({bridge::Text(MeshName(number)), key});
  }

  // One placement of every mesh for each visible reference.
  for (const CRhinoInstanceObject* reference : Items(references)) {
    if (!reference || reference->IsDeleted() || !reference->IsVisible() ||
        !reference->IsActiveInDocument())
      continue;
    float transform[16];
    m_frame.Placement(reference->InstanceXform(), transform);
    for (const SentMesh& mesh : sent) m_bridge.AddInstance(m_model, mesh.name, mesh.key, transform);
  }
  m_bridge.EndElement();
}

}  // namespace model_export
