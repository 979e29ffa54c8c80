// The renderer's bridge library, as the plug-in reaches it: one object with a
// typed method per export. The link owns the one Bridge; the parts that send
// through it (the model exporter, the light exporter) hold it by reference,
// and a thread that calls the bridge on its own (view sync, the connect of a
// live update) gets a handle of its own from it (ForThread).
//
// Each method looks its export up by name the first time it is called on
// this object (the library is never unloaded, so the address stays). When the
// library lacks the export, the method shows "Get dll func error" at every
// call and skips the call, except where its comment says otherwise. A Bridge
// whose library is not loaded lacks every export.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "bridge/bridge_api.h"
#include "bridge/bridge_text.h"
#include "platform/platform.h"

namespace bridge {

// The exports the plug-in calls, by name.
enum class Function {
  kSetOrvexRenderPath,
  kStartLinkOrvexRender,
  kSetModelFilePath,
  kConnect,
  kHasConnected,
  kDisConnect,
  kCreateModel,
  kDestroyModel,
  kBeginElement,
  kEndElement,
  kDeleteElement,
  kAddMaterial,
  kAddMesh,
  kAddInstance,
  kOptimizeModel,
  kStartSend,
  kSendLightsDataXml,
  kAddScene,
  kStartSendScenes,
  kSetCameraTransformFov,
  kCount  // not an export: how many there are
};

// The export's name in the library.
const char* NameOf(Function function);

// Shows what a call of a missing export shows ("Get dll func error"), for a
// caller that must not show it where the call is made.
void ShowMissingExport();

class Bridge {
 public:
  // Holds no library until it is taken up.
  Bridge() = default;
  // The bridge of a library loaded already, from wherever it was found (the
  // tests load the stand-in's variants from their own folders).
  explicit Bridge(platform::ModuleHandle library) : m_module(library) {}

  // A flow takes the library up before it uses it: the library is loaded
  // when this object holds none (a failure shows the load message and
  // returns false), and the renderer is told the stored installation folder,
  // if one is stored, every time.
  bool TakeUp();
  bool IsLoaded() const { return m_module != nullptr; }

  // The same library for another thread, with lookups of its own.
  Bridge ForThread() const;

  // Whether the library has the export.
  bool Has(Function function) const;

  // --- Linking -------------------------------------------------------------
  // SetOrvexRenderPath: whether the bridge accepted the folder; false, in
  // silence, when the export is missing.
  bool SetOrvexRenderPath(const std::wstring& folder) const;
  // StartLinkOrvexRender with the document path; kUnknownIssue (7) when the
  // export is missing or the call throws.
  int StartLink(const std::wstring& documentPath) const;
  // False when the export is missing.
  bool SetModelFilePath(const std::wstring& documentPath) const;
  // Connect, then the fixed wait the renderer needs (1500 ms, or the shorter
  // one ORVEX_CONNECT_WAIT_MS names, for tests). Shows nothing, so it may run
  // on any thread: nullopt, and no wait, when the export is missing.
  std::optional<int> ConnectAndWait() const;
  // That wait, in milliseconds.
  static unsigned ConnectWaitMilliseconds();
  // False when the export is missing.
  bool HasConnected() const;
  void DisConnect() const;

  // --- The model -------------------------------------------------------------
  // 0 when the export is missing.
  BridgeModel CreateModel() const;
  void DestroyModel(BridgeModel model) const;
  void BeginElement(BridgeModel model, const Text& id) const;
  void EndElement() const;
  void DeleteElement(BridgeModel model, const Text& id) const;
  void AddMaterial(BridgeModel model, const Text& key, const Text& record) const;
  // The fourth array of AddMesh is never filled: null and 0.
  void AddMesh(BridgeModel model, const Text& name, const float* positions, int positionCount,
               const float* normals, int normalCount, const float* uvs, int uvCount,
               const int* indices, int indexCount) const;
  void AddInstance(BridgeModel model, const Text& mesh, const Text& material,
                   const float transform[16]) const;
  void OptimizeModel(BridgeModel model) const;
  void StartSend(BridgeModel model) const;

  // --- Lights, scenes, the camera ----------------------------------------------
  void SendLightsDataXml(const Text& documentPath, const Text& description) const;
  void AddScene(const Text& id, const Text& name, const float camera[9], float fov) const;
  void StartSendScenes(const Text& documentPath) const;
  void SetCameraTransformFov(const float camera[9], float fov) const;

 private:
  // The export's address, looked up once; null when missing.
  void* Find(Function function) const;
  template <class Fn>
  Fn Resolve(Function function) const {
    return reinterpret_cast<Fn>(Find(function));
  }

  platform::ModuleHandle m_module = nullptr;
  mutable std::array<void*, static_cast<std::size_t>(Function::kCount)> m_found{};
  mutable std::array<bool, static_cast<std::size_t>(Function::kCount)> m_looked{};
};

}  // namespace bridge
