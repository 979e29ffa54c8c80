// Application and document event notifications.
#pragma once

#include "rhino_doc.h"
#include "windows_types.h"

class CRhinoEventWatcher {
 public:
  CRhinoEventWatcher() = default;
  virtual ~CRhinoEventWatcher();
  CRhinoEventWatcher(const CRhinoEventWatcher&) = delete;
  CRhinoEventWatcher& operator=(const CRhinoEventWatcher&) = delete;

  // Adds the watcher to the host's list; events reach it while it is enabled.
  void Register();
  void UnRegister();
  void Enable(BOOL b = TRUE) { m_enabled = b != 0; }
  bool IsEnabled() const { return m_enabled; }

  virtual void OnEnableEventWatcher(BOOL) {}
  virtual void OnInitRhino(class CRhinoApp&) {}
  virtual void OnCloseRhino(class CRhinoApp&) {}
  virtual void OnCloseDocument(CRhinoDoc&) {}
  virtual void OnNewDocument(CRhinoDoc&) {}
  virtual void OnBeginOpenDocument(CRhinoDoc&, const wchar_t*, BOOL, BOOL) {}
  virtual void OnEndOpenDocument(CRhinoDoc&, const wchar_t*, BOOL, BOOL) {}
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
