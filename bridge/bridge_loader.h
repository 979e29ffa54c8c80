// Finds, loads and starts the bridge library; keeps the renderer's installation
// folder; turns the bridge's result codes into messages.
#pragma once

#include <optional>
#include <string>

#include "bridge/bridge_api.h"
#include "bridge/bridge_handle.h"

namespace bridge {

// The bridge library's file name: "OrvexPlugin" and the platform's module suffix.
std::wstring LibraryFileName();
// The plug-in module's folder, ending in a separator.
std::wstring PlugInFolder();
// The bridge library beside the plug-in.
std::wstring LibraryPath(const std::wstring& plugInFolder);
// The renderer-folder file, two folders above the plug-in folder.
std::wstring FolderFilePath(const std::wstring& plugInFolder);

// Loads the library into the handle when it has none (a failure shows the load
// message and returns false), then tells the bridge the stored renderer folder.
bool Load(BridgeHandle& handle);

// StartLinkOrvexRender with the document path; 7 when the export is missing or
// the call throws. Loads the handle first when it is empty.
int StartLink(BridgeHandle& handle, const std::wstring& documentPath);

// True for code 0. Codes 1..8 show their message (code 1 offers the folder
// chooser); other codes fail silently.
bool CheckResult(BridgeHandle& handle, int code);

// Connect, a fixed wait of 1500 ms, then the result check. Does not load.
bool Connect(BridgeHandle& handle);
// The first half of Connect, which shows nothing and so may run on any thread:
// the call and the wait; nullopt when the export is missing (no wait then).
std::optional<int> ConnectAndWait(const BridgeHandle& handle);
// The second half, on the command thread: the missing-export message or the
// result check.
bool CheckConnectResult(BridgeHandle& handle, const std::optional<int>& code);

// Thin wrappers: Disconnect and HasConnected load an empty handle first.
void Disconnect(BridgeHandle& handle);
bool HasConnected(BridgeHandle& handle);
void OptimizeModel(const BridgeHandle& handle, BridgeModel model);
void DeleteElement(const BridgeHandle& handle, BridgeModel model, const BridgeChar* id);

// The folder chooser loop: asks until the bridge accepts a folder (stored in the
// folder file) or the user cancels.
bool ChooseInstallationFolder(BridgeHandle& handle);

}  // namespace bridge
