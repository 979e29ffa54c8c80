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

CRhinoEventWatcherEx::CRhinoEventWatcherEx(CRhinoEventWatcherEx::event_type et, ON_UUID plugin_id)
    : m_event_type(et), m_plugin_id(plugin_id) {}

CRhinoEventWatcherEx::~CRhinoEventWatcherEx() { Unregister(); }

bool CRhinoEventWatcherEx::Register() {
  if (!m_bIsRegistered) rhino_standin::AddWatcherEx(this);
  m_bIsRegistered = true;
  return true;
}

bool CRhinoEventWatcherEx::Unregister() {
  if (m_bIsRegistered) rhino_standin::RemoveWatcherEx(this);
  m_bIsRegistered = false;
  return true;
}

CRhinoIsIdle::CRhinoIsIdle(ON_UUID plugin_id)
    : CRhinoEventWatcherEx(CRhinoEventWatcherEx::event_type_rhino_is_idle, plugin_id) {}
