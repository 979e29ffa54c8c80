#include "bridge/bridge_loader.h"

#include <cstdlib>
#include <cstring>

#include "bridge/bridge_exports.h"
#include "bridge/bridge_text.h"
#include "bridge/render_folder_file.h"
#include "plugin/messages.h"

namespace bridge {
namespace {

constexpr const wchar_t* kFolderFileName = L"orvex_render_folder.strings";
constexpr const wchar_t* kChooserTitle = L"Choose Orvex Render install path:";
constexpr unsigned kConnectWaitMs = 1500;

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

// Tells the bridge the folder stored in the folder file, if there is one.
void SendStoredFolder(const BridgeHandle& handle) {
  bool opened = false;
  const std::optional<std::wstring> folder =
      ReadFolderFile(FolderFilePath(PlugInFolder()), &opened);
  if (!opened || !folder) return;
  // A bridge without the export simply is not told; that is not worth a message.
  ORVEX_BRIDGE(handle, SetOrvexRenderPath).WhenMissing(std::nullopt)(BridgeText(*folder).c_str());
}

}  // namespace

std::wstring LibraryFileName() { return std::wstring(L"OrvexPlugin") + platform::LibrarySuffix(); }

std::wstring PlugInFolder() {
  const std::wstring module = platform::ModulePathOf(reinterpret_cast<const void*>(&PlugInFolder));
  const size_t cut = module.find_last_of(platform::PathSeparator());
  return cut == std::wstring::npos ? std::wstring() : module.substr(0, cut + 1);
}

std::wstring LibraryPath(const std::wstring& plugInFolder) {
  return plugInFolder + LibraryFileName();
}

std::wstring FolderFilePath(const std::wstring& plugInFolder) {
  const std::wstring up = std::wstring(L"..") + platform::PathSeparator();
  return plugInFolder + up + up + kFolderFileName;
}

bool Load(BridgeHandle& handle) {
  if (!handle.module) {
    // Without its own folder the plug-in would hand the bare library name to
    // the system's search, which may find another library of that name.
    const std::wstring folder = PlugInFolder();
    if (!folder.empty()) handle.module = platform::LoadLibraryFromPath(LibraryPath(folder));
    if (!handle.module) {
      messages::Show(messages::Message::BridgeNotLoadable);
      return false;
    }
  }
  SendStoredFolder(handle);
  return true;
}

int StartLink(BridgeHandle& handle, const std::wstring& documentPath) {
  if (!handle.module) Load(handle);
  try {
    return ORVEX_BRIDGE_CALL(handle, StartLinkOrvexRender, BridgeText(documentPath).c_str())
        .value_or(7);
  } catch (...) {
    return 7;
  }
}

bool CheckResult(BridgeHandle& handle, int code) {
  if (code < 0 || code > 8) return false;
  if (code == 0) return true;
  if (code == 1) {
    if (messages::Show(messages::Message::ResultCode1) == messages::kButtonOk &&
        ChooseInstallationFolder(handle))
      messages::Show(messages::Message::FolderAccepted);
    return false;  // the user runs Start again
  }
  messages::Message message;
  if (messages::MessageForResultCode(code, &message)) messages::Show(message);
  return false;
}

std::optional<int> ConnectAndWait(const BridgeHandle& handle) {
  const std::optional<int> code = ORVEX_BRIDGE(handle, Connect).WhenMissing(std::nullopt)();
  if (code) platform::SleepMilliseconds(ConnectWaitMs());
  return code;
}

bool CheckConnectResult(BridgeHandle& handle, const std::optional<int>& code) {
  if (!code) {
    messages::Show(messages::Message::ConnectExportMissing);
    return false;
  }
  return CheckResult(handle, *code);
}

bool Connect(BridgeHandle& handle) { return CheckConnectResult(handle, ConnectAndWait(handle)); }

void Disconnect(BridgeHandle& handle) {
  if (!handle.module) Load(handle);
  ORVEX_BRIDGE_CALL(handle, DisConnect);
}

bool HasConnected(BridgeHandle& handle) {
  if (!handle.module) Load(handle);
  return ORVEX_BRIDGE_CALL(handle, HasConnected).value_or(false);
}

void OptimizeModel(const BridgeHandle& handle, BridgeModel model) {
  ORVEX_BRIDGE_CALL(handle, OptimizeModel, model);
}

void DeleteElement(const BridgeHandle& handle, BridgeModel model, const BridgeChar* id) {
  ORVEX_BRIDGE_CALL(handle, DeleteElement, model, id);
}

bool ChooseInstallationFolder(BridgeHandle& handle) {
  for (;;) {
    const std::optional<std::wstring> folder = platform::ChooseFolder(kChooserTitle);
    if (!folder || folder->empty()) return false;
    // A folder the folder file cannot hold back (a character beyond one
    // 16-bit unit) would be forgotten by the next load: it is refused before
    // the bridge hears of it, like a folder the bridge refuses.
    // A bridge without the export refuses every folder.
    const bool storable = DecodeFolderLine(platform::WideToUtf8(*folder)).has_value();
    if (!storable || !ORVEX_BRIDGE(handle, SetOrvexRenderPath)
                          .WhenMissing(std::nullopt)(BridgeText(*folder).c_str())
                          .value_or(false)) {
      messages::Show(messages::Message::FolderRejected);
      continue;
    }
    WriteFolderFile(FolderFilePath(PlugInFolder()), *folder);
    return true;
  }
}

}  // namespace bridge
