// Stop: unlink, so that nothing more reaches the renderer's model.
#include "renderer_link/link.h"

namespace renderer_link {

bool Link::Stop() {
  if (!CheckLinked()) return false;
  // An update under way ends before the model goes, so nothing reaches the
  // renderer after it; what is still pending the next Start sends in full.
  m_liveSync.FinishUnderWay(Document());
  m_liveSync.SwitchOff();
  m_watcher.ClearChanges();
  // The view-sync thread ends at its next check and sends nothing more from
  // here on, so no camera reaches the renderer after its model is gone; it no
  // longer reads the document either.
  m_viewSync->StopThreads();
  m_viewSync->SetDocument(nullptr);
  m_exporter.DestroyModel();
  m_linked = false;
  m_viewSyncOn = false;
  return true;
}

}  // namespace renderer_link
