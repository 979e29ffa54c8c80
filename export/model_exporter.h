// Builds the renderer's picture of the linked document through the bridge:
// a model filled with the materials element, one element per object and one
// per block definition.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "RhinoSdk.h"
#include "bridge/bridge_api.h"
#include "bridge/bridge_exports.h"
#include "bridge/bridge_handle.h"
#include "export/mesh_buffers.h"

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

  // --- Elements ---
  void SendMaterialsElement(const CRhinoDoc* doc, BridgeModel model, const BridgeHandle& bridge);
  void SendObjectElements(CRhinoObjectIterator& it);
  void SendObjectRefElement(const CRhinoObjRef& ref);
  void SendBlockDefinitions(const CRhinoDoc* doc);
  void SendBlockDefinition(const ON_SimpleArray<const CRhinoInstanceObject*>& references,
                           const CRhinoInstanceDefinition& definition);

  // --- Meshes ---
  // Converts and sends one render mesh under the next mesh name. exchange:
  // renderer axes and an immediate identity placement with materialKey; plain:
  // model axes, no placement. Returns false when the mesh had no triangles.
  bool SendMesh(const ON_Mesh& mesh, BridgeModel model, bool exchange,
                const ON_wString& materialKey);

  std::uint32_t MeshCounter() const { return m_mesh_counter; }
  BridgeHandle& Bridge() { return *m_bridge; }
  double Scale() const { return m_scale; }
  BridgeModel Model() const { return m_model; }
  void SetModel(BridgeModel model) { m_model = model; }

 private:
  // The exports of the element calls, each looked up once for a walk over
  // many elements on one handle.
  struct ElementExports {
    explicit ElementExports(const BridgeHandle& bridge);
    bridge::BoundExport<bridge_api::BeginElementFn> beginElement;
    bridge::BoundExport<bridge_api::EndElementFn> endElement;
    bridge::BoundExport<bridge_api::AddMaterialFn> addMaterial;
    bridge::BoundExport<bridge_api::AddMeshFn> addMesh;
    bridge::BoundExport<bridge_api::AddInstanceFn> addInstance;
  };
  // Binds the element exports of the exporter's handle for as long as it
  // lives, unless a walk that encloses it has bound them already.
  class WalkExports {
   public:
    explicit WalkExports(ModelExporter& exporter);
    ~WalkExports();
    WalkExports(const WalkExports&) = delete;
    WalkExports& operator=(const WalkExports&) = delete;
    const ElementExports& operator*() const { return *m_exporter.m_exports; }
    const ElementExports* operator->() const { return m_exporter.m_exports; }

   private:
    ModelExporter& m_exporter;
    std::unique_ptr<ElementExports> m_own;
  };

  // Opens the model's transfer (or prints "model is null") and disconnects.
  void FinishSend();
  void SetScaleFrom(const CRhinoDoc* doc);

  std::uint32_t m_mesh_counter = 0;
  std::unique_ptr<BridgeHandle> m_bridge;
  double m_scale = 1.0;
  BridgeModel m_model = 0;
  const CRhinoDoc* m_doc = nullptr;  // the document of the send in progress
  // The buffers of the mesh being sent, reused from mesh to mesh within a
  // send and given back when the send ends.
  MeshBuffers m_mesh_buffers;
  // The element exports bound by the walk in progress; null outside a walk.
  const ElementExports* m_exports = nullptr;
};
