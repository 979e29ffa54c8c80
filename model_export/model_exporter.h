// Builds the renderer's picture of the linked document through the bridge:
// a model filled with the materials element, one element per object and one
// per block definition; brought up to date whole or by what changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "common/renderer_frame.h"
#include "model_export/change_set.h"
#include "model_export/material_keys.h"
#include "model_export/mesh_buffers.h"
#include "model_export/mesh_pipeline.h"

namespace model_export {

class ModelExporter {
 public:
  // The exporter sends through the link's bridge, which outlives it.
  explicit ModelExporter(const bridge::Bridge& bridge);
  ModelExporter(const ModelExporter&) = delete;
  ModelExporter& operator=(const ModelExporter&) = delete;

  // The full send of a new link (full_send.cpp): create a model, send the
  // materials element, the object elements and the block definitions,
  // optimise, start the transfer, disconnect. Steps never stop early.
  void SendFullModel(const CRhinoDoc* doc);

  // Whether there is a model to bring up to date; shows "null ptr of model"
  // when there is none.
  bool CheckModelToUpdate() const;

  // Brings the existing model up to date with the document as it stands
  // (model_update.cpp), once the link has connected the bridge: replace the
  // materials element, withdraw hidden and deleted objects, send everything
  // again. False when there is no model or the bridge has not connected.
  bool SendModelUpdate(const CRhinoDoc* doc);

  // Sends what changed into the existing model (changes_update.cpp), once the
  // link has connected the bridge: the elements of changed objects again, or
  // their withdrawal when they are no longer shown; the materials element
  // when a material changed; the changed block definitions. Then optimise,
  // start the transfer and disconnect. False when there is no model or the
  // bridge has not connected.
  bool SendChanges(const CRhinoDoc& doc, const ChangeSet& changes);
  // Whether the changes reach anything the renderer holds: a change of the
  // document's properties does only when its units changed since the last
  // send.
  bool HasWorkIn(const CRhinoDoc& doc, const ChangeSet& changes) const;
  // Whether sending the changes would send everything again (new units) or
  // more than `largest` object and block definition elements.
  bool IsLargeUpdate(const CRhinoDoc& doc, const ChangeSet& changes, std::size_t largest) const;

  // Destroys the renderer's model, if there is one, and forgets it.
  void DestroyModel();

  // Esc: inside a command, a send lets the key through between elements and
  // stops at the next element once it is pressed. A cancelled send starts no
  // transfer (no OptimizeModel, no StartSend): the renderer keeps the model
  // it was last sent whole, never half a model it takes as complete. The
  // console says so, and the next send, a model update or a live update,
  // sends everything. True when the last send was cancelled.
  bool LastSendCanceled() const { return m_last_canceled; }

  std::uint32_t MeshCounter() const { return m_mesh_counter; }
  // Centimetres per model unit of the send in progress or the last one.
  double Scale() const { return m_frame.Scale(); }
  BridgeModel Model() const { return m_model; }

 private:
  // Whether the document's units scale lengths otherwise than the last send.
  bool UnitsChangedIn(const CRhinoDoc& doc) const;
  // Every send starts here: the document's renderer frame, worked out once.
  void BeginSend(const CRhinoDoc* doc);
  // The model update's elements: the materials element, the withdrawal of
  // every hidden or deleted object, every object and block definition.
  void SendEverythingAgain(const CRhinoDoc* doc);
  // Opens the model's transfer (or prints "model is null") and disconnects;
  // after Esc, only disconnects and says the send was cancelled.
  void FinishSend();
  // Whether the user pressed Esc to cancel the send; lets the key through.
  bool CancelRequested();

  // --- Elements ---
  void SendMaterialsElement(const CRhinoDoc* doc);
  // Every object a send shows; then those given, in their order.
  void SendObjectElements(const CRhinoDoc& doc);
  void SendObjectElements(const CRhinoDoc& doc, const ON_SimpleArray<const CRhinoObject*>& objects);
  void SendObjectRefElement(const CRhinoObjRef& ref, ConversionRun& meshes);
  // Every definition placed in the document, a batch at a time; then one.
  struct PlacedDefinition;
  void SendBlockDefinitions(const CRhinoDoc& doc);
  void SendBlockDefinition(const ON_SimpleArray<const CRhinoInstanceObject*>& references,
                           const CRhinoInstanceDefinition& definition);
  // Appends the definition's render meshes to refs and notes where they lie.
  static void FetchDefinitionMeshes(const CRhinoInstanceDefinition& definition,
                                    PlacedDefinition& placed, ON_ClassArray<CRhinoObjRef>& refs);
  void SendDefinitionBatch(const std::vector<PlacedDefinition>& batch,
                           const ON_ClassArray<CRhinoObjRef>& refs);
  void SendDefinitionElement(const PlacedDefinition& placed,
                             const ON_ClassArray<CRhinoObjRef>& refs, ConversionRun& meshes);
  void WithdrawElement(const ON_UUID& id);

  // --- Meshes ---
  // The render meshes among `refs` that the send loops convert and send (a
  // mesh and its object), in order, as the jobs of a ConversionRun.
  static bool Converts(const CRhinoObjRef& ref) { return ref.Mesh() && ref.Object(); }
  static std::vector<MeshJob> MeshJobs(const ON_ClassArray<CRhinoObjRef>& refs,
                                       common::MeshAxes axes);
  // Sends one converted render mesh under the next mesh name. In renderer
  // axes it is placed at once, by the identity, wearing materialKey; in model
  // axes it waits for its block's placements. False when the mesh had no
  // triangles, or too many for the bridge's counts (said on the console).
  bool SendMesh(const ConvertedMesh& converted, common::MeshAxes axes,
                const bridge::Text& materialKey);

  const bridge::Bridge& m_bridge;
  std::uint32_t m_mesh_counter = 0;
  common::RendererFrame m_frame{1.0};
  BridgeModel m_model = 0;
  // Esc was pressed during the send under way; the last send was cancelled;
  // the renderer's model lacks what a cancelled send did not send.
  bool m_canceled = false;
  bool m_last_canceled = false;
  bool m_incomplete = false;
  // The workers that convert meshes ahead of the bridge calls, and their
  // buffers, reused from mesh to mesh within a send and given back (the
  // workers ended) when the send ends.
  MeshConverter m_converter;
  // The keys of the materials the send's objects wear, each made once.
  MaterialKeys m_material_keys;
};

}  // namespace model_export
