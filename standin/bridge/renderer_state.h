// The renderer as the bridge sees it: whether a renderer folder was accepted, whether it is
// connected, and the models, lights, scenes and camera it has received. Every member function
// may be called from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bridge/bridge_api.h"
#include "standin/bridge/received_model.h"

namespace orvex_bridge {

// Renderer-wide values, copied out at one moment.
struct RendererSnapshot {
  std::optional<std::string> renderFolder;  // the last accepted folder
  std::string startLinkPath;                // document path of the last StartLink
  std::string modelFilePath;
  bool connected = false;
  std::optional<Lights> lights;                  // the last lights sent
  std::vector<Scene> pendingScenes;              // added since the last StartSendScenes
  std::optional<std::vector<Scene>> sentScenes;  // the scenes of the last StartSendScenes
  std::string scenesDocumentPath;
  std::optional<Camera> camera;     // the last camera
  std::vector<BridgeModel> models;  // live models, ascending
};

class RendererState {
 public:
  // Texts are UTF-8.

  // Accepts an existing directory that holds a file named OrvexRender.exe or OrvexRender and
  // remembers it; a refused folder leaves the accepted one as it was.
  bool SetRenderFolder(const std::string& folder);
  // 1 while no folder has been accepted, else 0; ORVEX_BRIDGE_START_CODE replaces the result.
  int StartLink(const std::string& documentPath);
  void SetModelFilePath(const std::string& documentPath);
  // 0, or ORVEX_BRIDGE_CONNECT_CODE; or the n-th code that
  // ORVEX_BRIDGE_CONNECT_CODES lists (comma-separated) for the n-th call, its
  // last code for every call after. Connected when the result is 0.
  int Connect();
  // Whether the last Connect returned 0 (and no DisConnect since); ORVEX_BRIDGE_HAS_CONNECTED
  // (0 or 1) replaces the answer.
  bool HasConnected() const;
  void Disconnect();

  // 1, 2, 3, ...: handles are never reused.
  BridgeModel CreateModel();
  void DestroyModel(BridgeModel model);

  // Opens the element that the meshes and instances that follow belong to. An id the model
  // already holds rebuilds that element: its meshes and instances are dropped first.
  void BeginElement(BridgeModel model, const std::string& id);
  void EndElement();
  // Removes the element with its meshes and instances.
  void DeleteElement(BridgeModel model, const std::string& id);

  // A key already held is replaced.
  void AddMaterial(BridgeModel model, const std::string& key, const std::string& record);
  // A name already held is replaced; the mesh belongs to the open element of that model.
  void AddMesh(BridgeModel model, Mesh mesh);
  void AddInstance(BridgeModel model, Instance instance);
  void OptimizeModel(BridgeModel model);
  void StartSend(BridgeModel model);

  void SendLights(const std::string& documentPath, const std::string& xml);
  void AddScene(Scene scene);
  // The scenes added since the last StartSendScenes become the sent scenes.
  void StartSendScenes(const std::string& documentPath);
  void SetCamera(const Camera& camera);

  // Calls naming a model that does not exist (never created, or destroyed) change nothing.
  std::optional<Model> CopyModel(BridgeModel model) const;
  RendererSnapshot Snapshot() const;

 private:
  Model* FindLocked(BridgeModel model);
  void DropElementContentLocked(Model& model, Element& element);

  mutable std::mutex mutex_;
  std::optional<std::string> renderFolder_;
  std::string startLinkPath_;
  std::string modelFilePath_;
  bool connected_ = false;
  int connectCalls_ = 0;
  BridgeModel nextModel_ = 1;
  std::map<BridgeModel, Model> models_;
  // The element between BeginElement and EndElement, held by its place in its
  // model (which stays put until the element or the model goes).
  struct OpenElement {
    BridgeModel model;
    Element* element;
  };
  std::optional<OpenElement> openElement_;
  std::optional<Lights> lights_;
  std::vector<Scene> pendingScenes_;
  std::optional<std::vector<Scene>> sentScenes_;
  std::string scenesDocumentPath_;
  std::optional<Camera> camera_;
};

}  // namespace orvex_bridge
