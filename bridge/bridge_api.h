// The renderer bridge library's exports, as the plug-in calls them and as the
// bridge stand-in defines them. One table of signatures shared by both sides,
// so a mismatch is a compile error rather than a corrupted call.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/native.h"

// Texts cross the bridge as UTF-16 everywhere.
using BridgeChar = platform::Utf16Char;
#define ORVEX_BRIDGE_EXPORT ORVEX_EXPORT

// In a bridge library, after an export's definition: the definition has the
// signature the plug-in calls it by.
#define ORVEX_CHECK_SIGNATURE(name) \
  static_assert(std::is_same_v<decltype(&name), bridge_api::name##Fn>, #name " signature")

// Opaque, pointer-sized model handle; 0 means "no model".
using BridgeModel = std::intptr_t;

namespace bridge_api {
using SetOrvexRenderPathFn = bool (*)(const BridgeChar* folder);
using StartLinkOrvexRenderFn = int (*)(const BridgeChar* documentPath);
using SetModelFilePathFn = void (*)(const BridgeChar* documentPath);
using ConnectFn = int (*)();
using HasConnectedFn = bool (*)();
using DisConnectFn = void (*)();
using CreateModelFn = BridgeModel (*)();
using DestroyModelFn = void (*)(BridgeModel model);
using BeginElementFn = void (*)(BridgeModel model, const BridgeChar* id);
using EndElementFn = void (*)();
using DeleteElementFn = void (*)(BridgeModel model, const BridgeChar* id);
using AddMaterialFn = void (*)(BridgeModel model, const BridgeChar* key, const BridgeChar* record);
using AddMeshFn = void (*)(BridgeModel model, const BridgeChar* name, const float* positions,
                           int positionCount, const float* normals, int normalCount,
                           const float* uvs, int uvCount, const float* extra, int extraCount,
                           const int* indices, int indexCount);
using AddInstanceFn = void (*)(BridgeModel model, const BridgeChar* mesh,
                               const BridgeChar* material, const float* transform16);
using OptimizeModelFn = void (*)(BridgeModel model);
using StartSendFn = void (*)(BridgeModel model);
using SendLightsDataXmlFn = void (*)(const BridgeChar* documentPath, const BridgeChar* xml);
using AddSceneFn = void (*)(const BridgeChar* id, const BridgeChar* name, const float* camera9,
                            float fov);
using StartSendScenesFn = void (*)(const BridgeChar* documentPath);
using SetCameraTransformFovFn = void (*)(const float* camera9, float fov);
}  // namespace bridge_api

namespace bridge {

// What StartLinkOrvexRender and Connect answer.
enum class ResultCode : int {
  kLinked = 0,
  kRendererNotFound = 1,  // the renderer's installation folder is not known
  kRendererNotOpen = 2,
  kVersionOutdated = 3,
  kRendererBusy = 4,
  kRendererUpdating = 5,
  kCancelledByUser = 6,
  kUnknownIssue = 7,  // also the plug-in's own answer when the call could not be made
  kNetworkError = 8,
};

// Codes outside 0..8 are failures the bridge gives no words for.
constexpr bool IsKnownResultCode(int code) { return code >= 0 && code <= 8; }

}  // namespace bridge
