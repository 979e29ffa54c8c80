#include "rhino_event_watcher.h"

#include "standin_state.h"

CRhinoEventWatcher::~CRhinoEventWatcher() { UnRegister(); }

void CRhinoEventWatcher::Register() {
  if (m_registered) return;
  rhino_standin::AddWatcher(this);
  m_registered = true;
}

void CRhinoEventWatcher::UnRegister() {
  if (!m_registered) return;
  rhino_standin::RemoveWatcher(this);
  m_registered = false;
}
