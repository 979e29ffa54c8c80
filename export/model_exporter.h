// Builds the renderer's picture of the linked document through the bridge:
// a model filled with the materials element, one element per object and one
// per block definition.
#pragma once

#include <cstdint>
#include <memory>

#include "RhinoSdk.h"
#include "bridge/bridge_api.h"
#include "bridge/bridge_handle.h"
#include "export/mesh_buffers.h"

struct ChangeSet;

class ModelExporter {
 public:
  // The exporter loads its own bridge handle at once.
  ModelExporter();
  ~ModelExporter();

  // The full send of a new link: create a model, send the materials element,
  // the object elements and the block definitions, optimise, start the
  // transfer, disconnect. Steps never stop early.
  void SendFullModel(const CRhinoDoc* doc);

  // Brings the existing model up to date (sync/model_update.cpp): reconnect,
  // replace the materials element, withdraw hidden and deleted objects, send
  // everything again.
  // False when there is no model or the bridge does not connect.
  bool SendModelUpdate(const CRhinoDoc* doc);

  // Sends what changed into the existing model (sync/changes_update.cpp), once
  // the bridge is connected: the elements of changed objects again, or their
  // withdrawal when they are no longer shown; the materials element when a
  // material changed; the changed block definitions. Then optimise, start
  // the transfer and disconnect. False when there is no model or the bridge
  // has not connected.
  bool SendChanges(const CRhinoDoc& doc, const ChangeSet& changes);

  // Destroys the renderer's model, if there is one, and forgets it.
  void DestroyModel();

  std::uint32_t MeshCounter() const { return m_mesh_counter; }
  // Centimetres per model unit of the send in progress or the last one.
  double Scale() const { return m_scale; }
  BridgeModel Model() const { return m_model; }

 private:
  // Every send starts here: the unit scale of the document, worked out once.
  void BeginSend(const CRhinoDoc* doc);
  // The model update's elements: the materials element, the withdrawal of
  // every hidden or deleted object, every object and block definition.
  void SendEverythingAgain(const CRhinoDoc* doc);
  // Opens the model's transfer (or prints "model is null") and disconnects.
  void FinishSend();

  // --- Elements ---
  void SendMaterialsElement(const CRhinoDoc* doc);
  // Every object a send shows; then those given, in their order.
  void SendObjectElements(const CRhinoDoc& doc);
  void SendObjectElements(const CRhinoDoc& doc, const ON_SimpleArray<const CRhinoObject*>& objects);
  void SendObjectRefElement(const CRhinoObjRef& ref);
  void SendBlockDefinitions(const CRhinoDoc& doc);
  void SendBlockDefinition(const ON_SimpleArray<const CRhinoInstanceObject*>& references,
                           const CRhinoInstanceDefinition& definition);

  // --- Meshes ---
  // Converts and sends one render mesh under the next mesh name. exchange:
  // renderer axes and an immediate identity placement with materialKey; plain:
  // model axes, no placement. Returns false when the mesh had no triangles.
  bool SendMesh(const ON_Mesh& mesh, bool exchange, const ON_wString& materialKey);

  std::uint32_t m_mesh_counter = 0;
  std::unique_ptr<BridgeHandle> m_bridge;
  double m_scale = 1.0;
  BridgeModel m_model = 0;
  // The buffers of the mesh being sent, reused from mesh to mesh within a
  // send and given back when the send ends.
  MeshBuffers m_mesh_buffers;
};
