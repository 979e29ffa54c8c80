// Start: link the command's document to the renderer and send the whole model.
#include "common/messages.h"
#include "common/sdk_text.h"
#include "renderer_link/link.h"
#include "renderer_link/renderer_answers.h"

namespace renderer_link {

bool Link::Start(CRhinoDoc* doc) {
  if (!doc || doc->GetPathName().IsEmpty()) {
    common::ShowMessage(common::Message::DocumentNotSaved);
    return false;
  }
  if (m_linked) {
    common::PrintConsole("Connected!\n");
    return false;
  }
  if (!m_bridge.IsLoaded() && !m_bridge.TakeUp()) return false;

  const std::wstring path = common::WideText(doc->GetPathName());
  if (!AcceptAnswer(m_bridge, m_bridge.StartLink(path))) return false;
  if (!m_bridge.SetModelFilePath(path)) return false;
  if (!ConnectRenderer(m_bridge)) return false;

  m_exporter.SendFullModel(doc);

  m_viewSync->SetDocument(doc);
  m_liveSync.SwitchOff();
  m_watcher.ClearChanges();
  StartViewSyncThread(m_viewSync, m_bridge);
  m_linked = true;
  m_viewSyncOn = true;
  return true;
}

}  // namespace renderer_link
