#include <algorithm>

#include "common/element_id.h"
#include "common/sdk_text.h"
#include "model_export/model_exporter.h"
#include "model_export/object_filters.h"
#include "model_export/progress_meter.h"

namespace model_export {
namespace {

using common::Items;
using common::MeshAxes;

// Told on the host's status bar while objects go to the renderer.
constexpr const wchar_t* kProgressLabel = L"Sending to Orvex Render";

// Objects whose render meshes are fetched together. A reference costs a few
// hundred bytes, held until its chunk is sent; a chunk costs its first group
// of meshes, converted on the command thread before the workers take over.
constexpr int kObjectsAFetch = 128;

// The key a sub-object wears when its material has no name.
const bridge::Text kNoMaterialKey(L"");

}  // namespace

void ModelExporter::SendObjectElements(const CRhinoDoc& doc) {
  CRhinoObjectIterator it(doc, kSendStates, kSendCategories);
  ON_SimpleArray<const CRhinoObject*> objects;
  for (const CRhinoObject* object = it.First(); object; object = it.Next()) {
    if (IsSentAsObject(*object)) objects.Append(object);
  }
  SendObjectElements(doc, objects);
}

void ModelExporter::SendObjectElements(const CRhinoDoc& doc,
                                       const ON_SimpleArray<const CRhinoObject*>& objects) {
  ProgressMeter progress(&doc, objects.Count(), kProgressLabel);
  ON_SimpleArray<const CRhinoObject*> deferred;
  for (const CRhinoObject* object : Items(objects)) {
    if (!object->HasSubobjectMaterials()) {
      deferred.Append(object);
      continue;
    }
    if (CancelRequested()) return;

    // One element, one mesh per sub-object; a sub-object whose material has
    // no name is sent with an empty key.
    m_bridge.BeginElement(m_model, bridge::Text(common::UuidToText(object->Id())));
    ON_SimpleArray<CRhinoObject*> subObjects;
    ON_SimpleArray<const CRhinoObject*> parts;
    // An object that cannot be exploded is its own one part.
    if (object->GetSubObjects(subObjects) == 0) parts.Append(object);
    for (CRhinoObject* sub : Items(subObjects)) parts.Append(sub);
    ON_ClassArray<CRhinoObjRef> refs;
    RhinoGetRenderMeshes(parts, refs, true, false);
    ConversionRun meshes(m_converter, m_frame, MeshJobs(refs, MeshAxes::kRenderer));
    for (const CRhinoObjRef& ref : Items(refs)) {
      if (!Converts(ref)) continue;
      const ON_Material& material = ref.Object()->ObjectMaterial();
      SendMesh(meshes.Next(), MeshAxes::kRenderer,
               material.Name().IsEmpty() ? kNoMaterialKey : m_material_keys.Of(material));
    }
    m_bridge.EndElement();
    for (CRhinoObject* sub : Items(subObjects)) delete sub;
    progress.Step();
  }

  // The render meshes are fetched a chunk of objects at a time, so that the
  // references held while they are converted and sent stay few.
  for (int first = 0; first < deferred.Count(); first += kObjectsAFetch) {
    const int count = std::min(kObjectsAFetch, deferred.Count() - first);
    ON_SimpleArray<const CRhinoObject*> chunk(count);
    chunk.Append(count, deferred.Array() + first);
    ON_ClassArray<CRhinoObjRef> refs(count);  // one mesh per object, as a rule
    RhinoGetRenderMeshes(chunk, refs, true, false);
    // Workers convert the meshes a step ahead; this loop takes them in order.
    ConversionRun meshes(m_converter, m_frame, MeshJobs(refs, MeshAxes::kRenderer));
    for (const CRhinoObjRef& ref : Items(refs)) {
      if (CancelRequested()) return;
      SendObjectRefElement(ref, meshes);
      progress.Step();
    }
  }
}

void ModelExporter::SendObjectRefElement(const CRhinoObjRef& ref, ConversionRun& meshes) {
  const CRhinoObject* object = ref.Object();
  if (!object) return;
  const bridge::Text& key = m_material_keys.Of(WornMaterial(*object));
  m_bridge.BeginElement(m_model, bridge::Text(common::UuidToText(object->Id())));
  if (Converts(ref)) SendMesh(meshes.Next(), MeshAxes::kRenderer, key);
  m_bridge.EndElement();
}

}  // namespace model_export
