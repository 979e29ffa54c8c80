// What the renderer answers when the plug-in links or connects, told to the
// user: a message for each result code, and the folder chooser when the
// renderer's installation is not found.
#pragma once

#include <optional>

#include "bridge/bridge.h"

namespace renderer_link {

// True for code 0. Codes 1 to 8 show their message (code 1 offers the folder
// chooser first); other codes fail silently.
bool AcceptAnswer(const bridge::Bridge& bridge, int code);

// The answer of a Connect made on any thread (Bridge::ConnectAndWait), told
// on the command thread: "null ptr for fun connect" when the export is
// missing, else AcceptAnswer.
bool AcceptConnectAnswer(const bridge::Bridge& bridge, const std::optional<int>& code);

// Connect, its fixed wait and the answer, on the command thread.
bool ConnectRenderer(const bridge::Bridge& bridge);

// The folder chooser: asks until the bridge accepts a folder, which is then
// stored for every later load, or until the user cancels.
bool ChooseInstallationFolder(const bridge::Bridge& bridge);

}  // namespace renderer_link
