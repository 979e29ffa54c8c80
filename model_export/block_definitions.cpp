#include <cstdint>
#include <vector>

#include "common/element_id.h"
#include "common/sdk_text.h"
#include "model_export/mesh_buffers.h"
#include "model_export/model_exporter.h"

namespace model_export {

using common::Items;

namespace {

// A batch of definitions ends once its render meshes or its placements reach
// this many, so that the references held while they are converted and sent
// stay few: a mesh's reference costs a few hundred bytes, a placement's eight.
constexpr int kMeshesABatch = 128;
constexpr int kPlacementsABatch = 512;

}  // namespace

// A definition on its way: its references (the visible ones are placed), and
// where its render meshes lie in the batch's references.
struct ModelExporter::PlacedDefinition {
  const CRhinoInstanceDefinition* definition = nullptr;
  ON_SimpleArray<const CRhinoInstanceObject*> references;
  int firstMesh = 0;
  int meshCount = 0;
};

// The definitions are sent in batches whose render meshes are fetched and
// converted together, so that a worker converts the next definition's meshes
// while this thread hands one definition's meshes and placements to the
// bridge. Esc is looked for once a definition, as it is read; the definitions
// read before it was pressed are sent, and no more.
void ModelExporter::SendBlockDefinitions(const CRhinoDoc& doc) {
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  std::vector<PlacedDefinition> batch;
  ON_ClassArray<CRhinoObjRef> refs;
  int placements = 0;
  for (int i = 0; i < table.InstanceDefinitionCount(); ++i) {
    if (CancelRequested()) break;
    const CRhinoInstanceDefinition* definition = table[i];
    if (!definition || definition->IsDeleted() || definition->IsHidden()) continue;
    PlacedDefinition placed;
    definition->GetReferences(placed.references, 0);
    if (placed.references.Count() == 0) continue;
    FetchDefinitionMeshes(*definition, placed, refs);
    placements += placed.references.Count();
    batch.push_back(std::move(placed));
    if (refs.Count() >= kMeshesABatch || placements >= kPlacementsABatch) {
      SendDefinitionBatch(batch, refs);
      batch.clear();
      refs.Empty();
      placements = 0;
    }
  }
  SendDefinitionBatch(batch, refs);
}

void ModelExporter::SendBlockDefinition(
    const ON_SimpleArray<const CRhinoInstanceObject*>& references,
    const CRhinoInstanceDefinition& definition) {
  std::vector<PlacedDefinition> batch(1);
  batch[0].references = references;
  ON_ClassArray<CRhinoObjRef> refs;
  FetchDefinitionMeshes(definition, batch[0], refs);
  SendDefinitionBatch(batch, refs);
}

// The definition's meshes, once, in definition coordinates and model axes;
// nested block references are expanded in place.
void ModelExporter::FetchDefinitionMeshes(const CRhinoInstanceDefinition& definition,
                                          PlacedDefinition& placed,
                                          ON_ClassArray<CRhinoObjRef>& refs) {
  ON_SimpleArray<const CRhinoObject*> objects;
  for (int i = 0; i < definition.ObjectCount(); ++i) objects.Append(definition.Object(i));
  placed.definition = &definition;
  placed.firstMesh = refs.Count();
  placed.meshCount = RhinoGetRenderMeshes(objects, refs, true, false);
}

void ModelExporter::SendDefinitionBatch(const std::vector<PlacedDefinition>& batch,
                                        const ON_ClassArray<CRhinoObjRef>& refs) {
  if (batch.empty()) return;
  ConversionRun meshes(m_converter, m_frame, MeshJobs(refs, common::MeshAxes::kModel));
  for (const PlacedDefinition& placed : batch) SendDefinitionElement(placed, refs, meshes);
}

void ModelExporter::SendDefinitionElement(const PlacedDefinition& placed,
                                          const ON_ClassArray<CRhinoObjRef>& refs,
                                          ConversionRun& meshes) {
  m_bridge.BeginElement(m_model, bridge::Text(common::UuidToText(placed.definition->Id())));

  // The name and material key of each mesh sent, in sending order, as every
  // placement names them.
  struct SentMesh {
    bridge::Text name;
    bridge::Text key;
  };
  std::vector<SentMesh> sent;
  for (const CRhinoObjRef& ref :
       common::ArrayItems<CRhinoObjRef>(refs.Array() + placed.firstMesh, placed.meshCount)) {
    if (!Converts(ref)) continue;
    // Here the key is taken whatever the material's name.
    const bridge::Text& key = m_material_keys.Of(ref.Object()->ObjectMaterial());
    const std::uint32_t number = m_mesh_counter;
    if (!SendMesh(meshes.Next(), common::MeshAxes::kModel, key)) continue;
    sent.push_back({bridge::Text(MeshName(number)), key});
  }

  // One placement of every mesh for each visible reference.
  for (const CRhinoInstanceObject* reference : Items(placed.references)) {
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
