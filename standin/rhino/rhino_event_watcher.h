// Application and document event notifications.
#pragma once

#include "rhino_doc.h"

class CRhinoEventWatcher {
 public:
  CRhinoEventWatcher() = default;
  virtual ~CRhinoEventWatcher();
  CRhinoEventWatcher(const CRhinoEventWatcher&) = delete;
  CRhinoEventWatcher& operator=(const CRhinoEventWatcher&) = delete;

  // Adds the watcher to the host's list; events reach it while it is enabled.
  void Register();
  void UnRegister();
  void Enable(bool enable) { m_enabled = enable; }
  bool IsEnabled() const { return m_enabled; }
  bool IsRegistered() const { return m_registered; }

  virtual void OnEnableEventWatcher(bool) {}
  virtual void OnInitRhino(class CRhinoApp&) {}
  virtual void OnCloseRhino(class CRhinoApp&) {}
  virtual void OnCloseDocument(CRhinoDoc&) {}
  virtual void OnNewDocument(CRhinoDoc&) {}
  virtual void OnBeginOpenDocument(CRhinoDoc&, const wchar_t*, int, int) {}
  virtual void OnEndOpenDocument(CRhinoDoc&, const wchar_t*, int, int) {}
  virtual void OnAddObject(CRhinoDoc&, CRhinoObject&) {}
  virtual void OnDeleteObject(CRhinoDoc&, CRhinoObject&) {}

 private:
  bool m_enabled = false;
  bool m_registered = false;
};

namespace rhino_standin {
// Raises the document-closed event on every registered, enabled watcher.
void RaiseCloseDocument(CRhinoDoc& doc);
}  // namespace rhino_standin
