// The exports of the bridge library, by their unmangled names. Each call updates the renderer
// state and, when ORVEX_BRIDGE_LOG names a file, appends one line to the call log.
//
// Test builds define ORVEX_BRIDGE_OMIT_<name> to leave an export out of the library.

#include <string>
#include <utility>

#include "bridge/bridge_api.h"
#include "standin/bridge/call_log.h"
#include "standin/bridge/renderer_state.h"
#include "standin/bridge/scene_output.h"
#include "standin/bridge/utf16.h"

namespace {

using orvex_bridge::JsonLine;
using orvex_bridge::Utf16ToUtf8;

// One renderer and one log per loaded library: every dlopen of the same file shares them. The
// log options are read once, when the library is loaded, which is also the origin of "ms".
orvex_bridge::CallLog g_log(orvex_bridge::CallLogOptionsFromEnvironment());
orvex_bridge::RendererState g_renderer;
// The files of ORVEX_BRIDGE_OUT, written after the calls that change what they show.
orvex_bridge::SceneOutput g_output;

// Builds the argument members only when the log is on.
template <typename Fill>
void Log(const char* fn, Fill&& fill) {
  if (!g_log.enabled()) return;
  JsonLine arguments;
  fill(arguments);
  g_log.Write(fn, arguments);
}

[[maybe_unused]] void LogNoArguments(const char* fn) {
  Log(fn, [](JsonLine&) {});
}

// Large arrays are logged in full, or as their counts when ORVEX_BRIDGE_LOG_ARRAYS=0.
[[maybe_unused]] void LogArray(JsonLine& line, const char* key, const float* values, int count) {
  if (g_log.arrays()) {
    line.Floats(key, values, count);
  } else {
    line.Int(std::string(key) + "_count", count);
  }
}

}  // namespace

#ifndef ORVEX_BRIDGE_OMIT_SetOrvexRenderPath
ORVEX_BRIDGE_EXPORT bool SetOrvexRenderPath(const BridgeChar* folder) {
  const bool result = folder != nullptr && g_renderer.SetRenderFolder(Utf16ToUtf8(folder));
  Log("SetOrvexRenderPath",
      [&](JsonLine& line) { line.Text("path", folder).Bool("result", result); });
  return result;
}
ORVEX_CHECK_SIGNATURE(SetOrvexRenderPath);
#endif

#ifndef ORVEX_BRIDGE_OMIT_StartLinkOrvexRender
ORVEX_BRIDGE_EXPORT int StartLinkOrvexRender(const BridgeChar* documentPath) {
  const int result = g_renderer.StartLink(Utf16ToUtf8(documentPath));
  Log("StartLinkOrvexRender",
      [&](JsonLine& line) { line.Text("path", documentPath).Int("result", result); });
  return result;
}
ORVEX_CHECK_SIGNATURE(StartLinkOrvexRender);
#endif

#ifndef ORVEX_BRIDGE_OMIT_SetModelFilePath
ORVEX_BRIDGE_EXPORT void SetModelFilePath(const BridgeChar* documentPath) {
  g_renderer.SetModelFilePath(Utf16ToUtf8(documentPath));
  Log("SetModelFilePath", [&](JsonLine& line) { line.Text("path", documentPath); });
}
ORVEX_CHECK_SIGNATURE(SetModelFilePath);
#endif

#ifndef ORVEX_BRIDGE_OMIT_Connect
ORVEX_BRIDGE_EXPORT int Connect() {
  const int result = g_renderer.Connect();
  Log("Connect", [&](JsonLine& line) { line.Int("result", result); });
  return result;
}
ORVEX_CHECK_SIGNATURE(Connect);
#endif

#ifndef ORVEX_BRIDGE_OMIT_HasConnected
ORVEX_BRIDGE_EXPORT bool HasConnected() {
  const bool result = g_renderer.HasConnected();
  Log("HasConnected", [&](JsonLine& line) { line.Bool("result", result); });
  return result;
}
ORVEX_CHECK_SIGNATURE(HasConnected);
#endif

#ifndef ORVEX_BRIDGE_OMIT_DisConnect
ORVEX_BRIDGE_EXPORT void DisConnect() {
  g_renderer.Disconnect();
  LogNoArguments("DisConnect");
}
ORVEX_CHECK_SIGNATURE(DisConnect);
#endif

#ifndef ORVEX_BRIDGE_OMIT_CreateModel
ORVEX_BRIDGE_EXPORT BridgeModel CreateModel() {
  const BridgeModel result = g_renderer.CreateModel();
  Log("CreateModel", [&](JsonLine& line) { line.Int("result", result); });
  return result;
}
ORVEX_CHECK_SIGNATURE(CreateModel);
#endif

#ifndef ORVEX_BRIDGE_OMIT_DestroyModel
ORVEX_BRIDGE_EXPORT void DestroyModel(BridgeModel model) {
  g_renderer.DestroyModel(model);
  Log("DestroyModel", [&](JsonLine& line) { line.Int("model", model); });
}
ORVEX_CHECK_SIGNATURE(DestroyModel);
#endif

#ifndef ORVEX_BRIDGE_OMIT_BeginElement
ORVEX_BRIDGE_EXPORT void BeginElement(BridgeModel model, const BridgeChar* id) {
  g_renderer.BeginElement(model, Utf16ToUtf8(id));
  Log("BeginElement", [&](JsonLine& line) { line.Int("model", model).Text("id", id); });
}
ORVEX_CHECK_SIGNATURE(BeginElement);
#endif

#ifndef ORVEX_BRIDGE_OMIT_EndElement
ORVEX_BRIDGE_EXPORT void EndElement() {
  g_renderer.EndElement();
  LogNoArguments("EndElement");
}
ORVEX_CHECK_SIGNATURE(EndElement);
#endif

#ifndef ORVEX_BRIDGE_OMIT_DeleteElement
ORVEX_BRIDGE_EXPORT void DeleteElement(BridgeModel model, const BridgeChar* id) {
  g_renderer.DeleteElement(model, Utf16ToUtf8(id));
  Log("DeleteElement", [&](JsonLine& line) { line.Int("model", model).Text("id", id); });
}
ORVEX_CHECK_SIGNATURE(DeleteElement);
#endif

#ifndef ORVEX_BRIDGE_OMIT_AddMaterial
ORVEX_BRIDGE_EXPORT void AddMaterial(BridgeModel model, const BridgeChar* key,
                                     const BridgeChar* record) {
  g_renderer.AddMaterial(model, Utf16ToUtf8(key), Utf16ToUtf8(record));
  Log("AddMaterial",
      [&](JsonLine& line) { line.Int("model", model).Text("key", key).Text("record", record); });
}
ORVEX_CHECK_SIGNATURE(AddMaterial);
#endif

#ifndef ORVEX_BRIDGE_OMIT_AddMesh
ORVEX_BRIDGE_EXPORT void AddMesh(BridgeModel model, const BridgeChar* name, const float* positions,
                                 int positionCount, const float* normals, int normalCount,
                                 const float* uvs, int uvCount, const float* extra, int extraCount,
                                 const int* indices, int indexCount) {
  g_renderer.AddMesh(model, orvex_bridge::MeshFromCall(Utf16ToUtf8(name), positions, positionCount,
                                                       normals, normalCount, uvs, uvCount, extra,
                                                       extraCount, indices, indexCount));

  Log("AddMesh", [&](JsonLine& line) {
    line.Int("model", model).Text("name", name);
    LogArray(line, "positions", positions, positionCount);
    LogArray(line, "normals", normals, normalCount);
    LogArray(line, "uvs", uvs, uvCount);
    if (g_log.arrays()) {
      if (extra == nullptr) {
        line.Null("extra");
      } else {
        line.Floats("extra", extra, extraCount);
      }
      line.Ints("indices", indices, indexCount);
    } else {
      if (extra == nullptr) {
        line.Null("extra_count");
      } else {
        line.Int("extra_count", extraCount);
      }
      line.Int("indices_count", indexCount);
    }
  });
}
ORVEX_CHECK_SIGNATURE(AddMesh);
#endif

#ifndef ORVEX_BRIDGE_OMIT_AddInstance
ORVEX_BRIDGE_EXPORT void AddInstance(BridgeModel model, const BridgeChar* mesh,
                                     const BridgeChar* material, const float* transform16) {
  g_renderer.AddInstance(
      model, orvex_bridge::InstanceFromCall(Utf16ToUtf8(mesh), Utf16ToUtf8(material), transform16));
  Log("AddInstance", [&](JsonLine& line) {
    line.Int("model", model)
        .Text("mesh", mesh)
        .Text("material", material)
        .Floats("transform", transform16, 16);
  });
}
ORVEX_CHECK_SIGNATURE(AddInstance);
#endif

#ifndef ORVEX_BRIDGE_OMIT_OptimizeModel
ORVEX_BRIDGE_EXPORT void OptimizeModel(BridgeModel model) {
  g_renderer.OptimizeModel(model);
  Log("OptimizeModel", [&](JsonLine& line) { line.Int("model", model); });
}
ORVEX_CHECK_SIGNATURE(OptimizeModel);
#endif

#ifndef ORVEX_BRIDGE_OMIT_StartSend
ORVEX_BRIDGE_EXPORT void StartSend(BridgeModel model) {
  g_renderer.StartSend(model);
  g_output.AfterStartSend(g_renderer, model);
  Log("StartSend", [&](JsonLine& line) { line.Int("model", model); });
}
ORVEX_CHECK_SIGNATURE(StartSend);
#endif

#ifndef ORVEX_BRIDGE_OMIT_SendLightsDataXml
ORVEX_BRIDGE_EXPORT void SendLightsDataXml(const BridgeChar* documentPath, const BridgeChar* xml) {
  g_renderer.SendLights(Utf16ToUtf8(documentPath), Utf16ToUtf8(xml));
  g_output.AfterSendLights(g_renderer);
  Log("SendLightsDataXml",
      [&](JsonLine& line) { line.Text("path", documentPath).Text("xml", xml); });
}
ORVEX_CHECK_SIGNATURE(SendLightsDataXml);
#endif

#ifndef ORVEX_BRIDGE_OMIT_AddScene
ORVEX_BRIDGE_EXPORT void AddScene(const BridgeChar* id, const BridgeChar* name,
                                  const float* camera9, float fov) {
  g_renderer.AddScene(orvex_bridge::Scene{Utf16ToUtf8(id), Utf16ToUtf8(name),
                                          orvex_bridge::CameraFromCall(camera9), fov});
  Log("AddScene", [&](JsonLine& line) {
    line.Text("id", id).Text("name", name).Floats("camera", camera9, 9).Float("fov", fov);
  });
}
ORVEX_CHECK_SIGNATURE(AddScene);
#endif

#ifndef ORVEX_BRIDGE_OMIT_StartSendScenes
ORVEX_BRIDGE_EXPORT void StartSendScenes(const BridgeChar* documentPath) {
  g_renderer.StartSendScenes(Utf16ToUtf8(documentPath));
  g_output.AfterStartSendScenes(g_renderer);
  Log("StartSendScenes", [&](JsonLine& line) { line.Text("path", documentPath); });
}
ORVEX_CHECK_SIGNATURE(StartSendScenes);
#endif

#ifndef ORVEX_BRIDGE_OMIT_SetCameraTransformFov
ORVEX_BRIDGE_EXPORT void SetCameraTransformFov(const float* camera9, float fov) {
  g_renderer.SetCamera(orvex_bridge::Camera{orvex_bridge::CameraFromCall(camera9), fov});
  g_output.AfterSetCamera(g_renderer);
  Log("SetCameraTransformFov",
      [&](JsonLine& line) { line.Floats("camera", camera9, 9).Float("fov", fov); });
}
ORVEX_CHECK_SIGNATURE(SetCameraTransformFov);
#endif
