// A bridge library whose calls cost about a plain copy, for the send
// benchmarks built beside it (orvex_bench_copy_bridge): every array and text
// the plug-in hands over is copied into one area, from its start for each new
// model, going round to its start again when it is full; nothing else is
// kept. The area, far larger than the caches, is written once when the
// library is loaded, so that a send pays for neither the system's new pages
// nor an area growing, as the plain copy it is compared with does not.
// OrvexBenchCopiedBytes tells the benchmark how much it has copied, so that a
// send's figure is known to include every array.
// Beside the bridge stand-in's figures, a send into it shows what the send
// costs when the renderer takes its arrays at memory speed. Called from the
// command thread only, as the plug-in calls every bridge.
#include <cstdint>
#include <cstring>
#include <vector>

#include "bridge/bridge_api.h"

namespace {

constexpr std::size_t kAreaBytes = std::size_t{256} << 20;
std::vector<unsigned char> g_area(kAreaBytes, 1);
std::size_t g_used = 0;
std::uint64_t g_copied = 0;

void Keep(const void* data, std::size_t bytes) {
  // No array of the benchmarks' documents comes near the area's size; one
  // that did would go uncopied, and the count would tell.
  if (data == nullptr || bytes == 0 || bytes > kAreaBytes) return;
  if (g_used + bytes > kAreaBytes) g_used = 0;
  std::memcpy(g_area.data() + g_used, data, bytes);
  g_used += bytes;
  g_copied += bytes;
}

template <typename T>
void KeepArray(const T* values, int count) {
  if (count > 0) Keep(values, sizeof(T) * static_cast<std::size_t>(count));
}

void KeepText(const BridgeChar* text) {
  if (text == nullptr) return;
  std::size_t units = 0;
  while (text[units] != 0) ++units;
  Keep(text, sizeof(BridgeChar) * units);
}

}  // namespace

ORVEX_BRIDGE_EXPORT std::uint64_t OrvexBenchCopiedBytes() { return g_copied; }

ORVEX_BRIDGE_EXPORT bool SetOrvexRenderPath(const BridgeChar*) { return true; }
ORVEX_CHECK_SIGNATURE(SetOrvexRenderPath);
ORVEX_BRIDGE_EXPORT int StartLinkOrvexRender(const BridgeChar*) { return 0; }
ORVEX_CHECK_SIGNATURE(StartLinkOrvexRender);
ORVEX_BRIDGE_EXPORT void SetModelFilePath(const BridgeChar*) {}
ORVEX_CHECK_SIGNATURE(SetModelFilePath);
ORVEX_BRIDGE_EXPORT int Connect() { return 0; }
ORVEX_CHECK_SIGNATURE(Connect);
ORVEX_BRIDGE_EXPORT bool HasConnected() { return true; }
ORVEX_CHECK_SIGNATURE(HasConnected);
ORVEX_BRIDGE_EXPORT void DisConnect() {}
ORVEX_CHECK_SIGNATURE(DisConnect);

ORVEX_BRIDGE_EXPORT BridgeModel CreateModel() {
  g_used = 0;
  return 1;
}
ORVEX_CHECK_SIGNATURE(CreateModel);
ORVEX_BRIDGE_EXPORT void DestroyModel(BridgeModel) {}
ORVEX_CHECK_SIGNATURE(DestroyModel);

ORVEX_BRIDGE_EXPORT void BeginElement(BridgeModel, const BridgeChar* id) { KeepText(id); }
ORVEX_CHECK_SIGNATURE(BeginElement);
ORVEX_BRIDGE_EXPORT void EndElement() {}
ORVEX_CHECK_SIGNATURE(EndElement);
ORVEX_BRIDGE_EXPORT void DeleteElement(BridgeModel, const BridgeChar*) {}
ORVEX_CHECK_SIGNATURE(DeleteElement);

ORVEX_BRIDGE_EXPORT void AddMaterial(BridgeModel, const BridgeChar* key, const BridgeChar* record) {
  KeepText(key);
  KeepText(record);
}
ORVEX_CHECK_SIGNATURE(AddMaterial);

ORVEX_BRIDGE_EXPORT void AddMesh(BridgeModel, const BridgeChar* name, const float* positions,
                                 int positionCount, const float* normals, int normalCount,
                                 const float* uvs, int uvCount, const float* extra, int extraCount,
                                 const int* indices, int indexCount) {
  KeepText(name);
  KeepArray(positions, positionCount);
  KeepArray(normals, normalCount);
  KeepArray(uvs, uvCount);
  KeepArray(extra, extraCount);
  KeepArray(indices, indexCount);
}
ORVEX_CHECK_SIGNATURE(AddMesh);

ORVEX_BRIDGE_EXPORT void AddInstance(BridgeModel, const BridgeChar* mesh,
                                     const BridgeChar* material, const float* transform16) {
  KeepText(mesh);
  KeepText(material);
  KeepArray(transform16, 16);
}
ORVEX_CHECK_SIGNATURE(AddInstance);

ORVEX_BRIDGE_EXPORT void OptimizeModel(BridgeModel) {}
ORVEX_CHECK_SIGNATURE(OptimizeModel);
ORVEX_BRIDGE_EXPORT void StartSend(BridgeModel) {}
ORVEX_CHECK_SIGNATURE(StartSend);
ORVEX_BRIDGE_EXPORT void SendLightsDataXml(const BridgeChar*, const BridgeChar*) {}
ORVEX_CHECK_SIGNATURE(SendLightsDataXml);
ORVEX_BRIDGE_EXPORT void AddScene(const BridgeChar*, const BridgeChar*, const float*, float) {}
ORVEX_CHECK_SIGNATURE(AddScene);
ORVEX_BRIDGE_EXPORT void StartSendScenes(const BridgeChar*) {}
ORVEX_CHECK_SIGNATURE(StartSendScenes);
ORVEX_BRIDGE_EXPORT void SetCameraTransformFov(const float*, float) {}
ORVEX_CHECK_SIGNATURE(SetCameraTransformFov);
