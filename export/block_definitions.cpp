#include <cstdint>
#include <vector>

#include "bridge/bridge_exports.h"
#include "bridge/bridge_text.h"
#include "export/block_transform.h"
#include "export/element_id.h"
#include "export/mesh_buffers.h"
#include "export/model_exporter.h"
#include "material/material_key.h"
#include "plugin/sdk_helpers.h"

void ModelExporter::SendBlockDefinitions(const CRhinoDoc& doc) {
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  for (int i = 0; i < table.InstanceDefinitionCount(); ++i) {
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
  const BridgeHandle& bridge = *m_bridge;
  const BridgeText id(UuidToText(definition.Id()));
  ORVEX_BRIDGE_CALL(bridge, BeginElement, m_model, id.c_str());

  // The definition's meshes, once, in definition coordinates and model axes;
  // nested block references are expanded in place.
  ON_SimpleArray<const CRhinoObject*> objects;
  for (int i = 0; i < definition.ObjectCount(); ++i) objects.Append(definition.Object(i));
  ON_ClassArray<CRhinoObjRef> refs;
  RhinoGetRenderMeshes(objects, refs, true, false);
  // The name and material key of each mesh sent, in sending order, as every
  // placement names them.
  struct SentMesh {
    BridgeText name;
    BridgeText key;
  };
  std::vector<SentMesh> sent;
  for (const CRhinoObjRef& ref : Items(refs)) {
    const ON_Mesh* mesh = ref.Mesh();
    if (!mesh || !ref.Object()) continue;
    // Here the key is taken whatever the material's name.
    const ON_wString key = material::MaterialKey(ref.Object()->ObjectMaterial());
    const std::uint32_t number = m_mesh_counter;
    if (!SendMesh(*mesh, false, key)) continue;
    sent.push_back({BridgeText(MeshName(number)), BridgeText(WideText(key))});
  }

  // One placement of every mesh for each visible reference: the export is
  // looked up once for them all.
  const auto addInstance = ORVEX_BRIDGE(bridge, AddInstance);
  for (const CRhinoInstanceObject* reference : Items(references)) {
    if (!reference || reference->IsDeleted() || !reference->IsVisible() ||
        !reference->IsActiveInDocument())
      continue;
    float transform[16];
    BlockTransform(reference->InstanceXform(), m_scale, transform);
    for (const SentMesh& mesh : sent)
      addInstance(m_model, mesh.name.c_str(), mesh.key.c_str(), transform);
  }
  ORVEX_BRIDGE_CALL(bridge, EndElement);
}
