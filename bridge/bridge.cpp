#include "bridge/bridge.h"

#include <cstdlib>
#include <cstring>

#include "bridge/library_location.h"
#include "bridge/render_folder_file.h"
#include "common/messages.h"

namespace bridge {
namespace {

constexpr unsigned kConnectWaitMs = 1500;

constexpr const char* kNames[] = {"SetOrvexRenderPath",
                                  "StartLinkOrvexRender",
                                  "SetModelFilePath",
                                  "Connect",
                                  "HasConnected",
                                  "DisConnect",
                                  "CreateModel",
                                  "DestroyModel",
                                  "BeginElement",
                                  "EndElement",
                                  "DeleteElement",
                                  "AddMaterial",
                                  "AddMesh",
                                  "AddInstance",
                                  "OptimizeModel",
                                  "StartSend",
                                  "SendLightsDataXml",
                                  "AddScene",
                                  "StartSendScenes",
                                  "SetCameraTransformFov"};
static_assert(std::size(kNames) == static_cast<std::size_t>(Function::kCount),
              "one name per export");

// The wait after Connect: 1500 ms, or for tests that run many links, the
// shorter wait that ORVEX_CONNECT_WAIT_MS names (0 to 1500); any other value
// keeps the full wait.
unsigned ConnectWaitMs() {
  const char* text = std::getenv("ORVEX_CONNECT_WAIT_MS");
  if (!text || !*text || std::strlen(text) > 4) return kConnectWaitMs;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (*end != '\0' || text[0] < '0' || text[0] > '9' || value > kConnectWaitMs)
    return kConnectWaitMs;
  return static_cast<unsigned>(value);
}

}  // namespace

const char* NameOf(Function function) { return kNames[static_cast<std::size_t>(function)]; }

void ShowMissingExport() { common::ShowMessage(common::Message::BridgeExportMissing); }

bool Bridge::TakeUp() {
  if (!m_module) {
    // Without its own folder the plug-in would hand the bare library name to
    // the system's search, which may find another library of that name.
    const std::wstring folder = PlugInFolder();
    if (!folder.empty()) m_module = platform::LoadLibraryFromPath(LibraryPath(folder));
    if (!m_module) {
      common::ShowMessage(common::Message::BridgeNotLoadable);
      return false;
    }
  }
  // The renderer hears the stored folder on every take-up; a bridge without
  // the export simply is not told, which is not worth a message.
  if (const std::optional<std::wstring> folder = StoredInstallationFolder())
    SetOrvexRenderPath(*folder);
  return true;
}

Bridge Bridge::ForThread() const { return Bridge(m_module); }

void* Bridge::Find(Function function) const {
  const auto i = static_cast<std::size_t>(function);
  if (!m_looked[i]) {
    m_found[i] = m_module ? platform::FindExport(m_module, kNames[i]) : nullptr;
    m_looked[i] = m_module != nullptr;
  }
  return m_found[i];
}

bool Bridge::Has(Function function) const { return Find(function) != nullptr; }

// Calls the export when the library has it; otherwise shows the missing-export
// message and returns the given value.
#define ORVEX_CALL_OR(Name, fallback, ...)                            \
  do {                                                                \
    const auto fn = Resolve<bridge_api::Name##Fn>(Function::k##Name); \
    if (!fn) return ShowMissingExport(), fallback;                    \
    return fn(__VA_ARGS__);                                           \
  } while (false)

bool Bridge::SetOrvexRenderPath(const std::wstring& folder) const {
  const auto fn = Resolve<bridge_api::SetOrvexRenderPathFn>(Function::kSetOrvexRenderPath);
  return fn && fn(Text(folder).c_str());
}

int Bridge::StartLink(const std::wstring& documentPath) const {
  const int unknown = static_cast<int>(ResultCode::kUnknownIssue);
  try {
    const auto fn = Resolve<bridge_api::StartLinkOrvexRenderFn>(Function::kStartLinkOrvexRender);
    if (!fn) return ShowMissingExport(), unknown;
    return fn(Text(documentPath).c_str());
  } catch (...) {
    return unknown;
  }
}

bool Bridge::SetModelFilePath(const std::wstring& documentPath) const {
  const auto fn = Resolve<bridge_api::SetModelFilePathFn>(Function::kSetModelFilePath);
  if (!fn) return ShowMissingExport(), false;
  fn(Text(documentPath).c_str());
  return true;
}

std::optional<int> Bridge::ConnectAndWait() const {
  const auto fn = Resolve<bridge_api::ConnectFn>(Function::kConnect);
  if (!fn) return std::nullopt;
  const int code = fn();
  platform::SleepMilliseconds(ConnectWaitMs());
  return code;
}

unsigned Bridge::ConnectWaitMilliseconds() { return ConnectWaitMs(); }

bool Bridge::HasConnected() const { ORVEX_CALL_OR(HasConnected, false); }

void Bridge::DisConnect() const { ORVEX_CALL_OR(DisConnect, void()); }

BridgeModel Bridge::CreateModel() const { ORVEX_CALL_OR(CreateModel, BridgeModel{0}); }

void Bridge::DestroyModel(BridgeModel model) const { ORVEX_CALL_OR(DestroyModel, void(), model); }

void Bridge::BeginElement(BridgeModel model, const Text& id) const {
  ORVEX_CALL_OR(BeginElement, void(), model, id.c_str());
}

void Bridge::EndElement() const { ORVEX_CALL_OR(EndElement, void()); }

void Bridge::DeleteElement(BridgeModel model, const Text& id) const {
  ORVEX_CALL_OR(DeleteElement, void(), model, id.c_str());
}

void Bridge::AddMaterial(BridgeModel model, const Text& key, const Text& record) const {
  ORVEX_CALL_OR(AddMaterial, void(), model, key.c_str(), record.c_str());
}

void Bridge::AddMesh(BridgeModel model, const Text& name, const float* positions, int positionCount,
                     const float* normals, int normalCount, const float* uvs, int uvCount,
                     const int* indices, int indexCount) const {
  ORVEX_CALL_OR(AddMesh, void(), model, name.c_str(), positions, positionCount, normals,
                normalCount, uvs, uvCount, static_cast<const float*>(nullptr), 0, indices,
                indexCount);
}

void Bridge::AddInstance(BridgeModel model, const Text& mesh, const Text& material,
                         const float transform[16]) const {
  ORVEX_CALL_OR(AddInstance, void(), model, mesh.c_str(), material.c_str(), transform);
}

void Bridge::OptimizeModel(BridgeModel model) const { ORVEX_CALL_OR(OptimizeModel, void(), model); }

void Bridge::StartSend(BridgeModel model) const { ORVEX_CALL_OR(StartSend, void(), model); }

void Bridge::SendLightsDataXml(const Text& documentPath, const Text& description) const {
  ORVEX_CALL_OR(SendLightsDataXml, void(), documentPath.c_str(), description.c_str());
}

void Bridge::AddScene(const Text& id, const Text& name, const float camera[9], float fov) const {
  ORVEX_CALL_OR(AddScene, void(), id.c_str(), name.c_str(), camera, fov);
}

void Bridge::StartSendScenes(const Text& documentPath) const {
  ORVEX_CALL_OR(StartSendScenes, void(), documentPath.c_str());
}

void Bridge::SetCameraTransformFov(const float camera[9], float fov) const {
  ORVEX_CALL_OR(SetCameraTransformFov, void(), camera, fov);
}

#undef ORVEX_CALL_OR

}  // namespace bridge
