#include "renderer_link/renderer_answers.h"

#include <string>

#include "bridge/render_folder_file.h"
#include "common/messages.h"
#include "platform/platform.h"

namespace renderer_link {
namespace {

using common::Message;
using common::ShowMessage;

constexpr const wchar_t* kChooserTitle = L"Choose Orvex Render install path:";

// The message of each result code from 1 on.
constexpr Message kMessageOf[] = {
    Message::RendererNotFound, Message::RendererNotOpen,  Message::RendererVersionOutdated,
    Message::RendererBusy,     Message::RendererUpdating, Message::CancelledByUser,
    Message::UnknownIssue,     Message::NetworkError};

}  // namespace

bool AcceptAnswer(const bridge::Bridge& bridge, int code) {
  if (!bridge::IsKnownResultCode(code)) return false;
  const auto answer = static_cast<bridge::ResultCode>(code);
  if (answer == bridge::ResultCode::kLinked) return true;
  if (answer == bridge::ResultCode::kRendererNotFound) {
    if (ShowMessage(Message::RendererNotFound) == common::kButtonOk &&
        ChooseInstallationFolder(bridge))
      ShowMessage(Message::FolderAccepted);
    return false;  // the user runs Start again
  }
  ShowMessage(kMessageOf[code - 1]);
  return false;
}

bool AcceptConnectAnswer(const bridge::Bridge& bridge, const std::optional<int>& code) {
  if (!code) {
    ShowMessage(Message::ConnectExportMissing);
    return false;
  }
  return AcceptAnswer(bridge, *code);
}

bool ConnectRenderer(const bridge::Bridge& bridge) {
  return AcceptConnectAnswer(bridge, bridge.ConnectAndWait());
}

bool ChooseInstallationFolder(const bridge::Bridge& bridge) {
  for (;;) {
    const std::optional<std::wstring> folder = platform::ChooseFolder(kChooserTitle);
    if (!folder || folder->empty()) return false;
    // A folder the folder file cannot hold back would be forgotten by the
    // next load: it is refused before the bridge hears of it, like a folder
    // the bridge refuses. A bridge without the export refuses every folder.
    if (!bridge::CanStoreInstallationFolder(*folder) || !bridge.SetOrvexRenderPath(*folder)) {
      ShowMessage(Message::FolderRejected);
      continue;
    }
    bridge::StoreInstallationFolder(*folder);
    return true;
  }
}

}  // namespace renderer_link
