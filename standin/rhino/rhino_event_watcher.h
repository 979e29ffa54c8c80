// Application and document event notifications.
#pragma once

#include <functional>

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
  // A document property changed, the model units among them.
  virtual void OnDocumentPropertiesChanged(CRhinoDoc& /*doc*/) {}
  // The model units changed with the objects scaled to keep their size: raised
  // before any object is scaled; OnDocumentPropertiesChanged follows.
  virtual void OnUnitsChangedWithScaling(CRhinoDoc& /*doc*/, double /*scale*/) {}
  virtual void OnAddObject(CRhinoDoc&, CRhinoObject&) {}
  virtual void OnDeleteObject(CRhinoDoc&, CRhinoObject&) {}
  // An object is about to be replaced: OnDeleteObject(old_object) follows, then
  // OnAddObject(new_object), or OnUnDeleteObject(new_object) during an undo.
  virtual void OnReplaceObject(CRhinoDoc& /*doc*/, CRhinoObject& /*old_object*/,
                               CRhinoObject& /*new_object*/) {}
  virtual void OnUnDeleteObject(CRhinoDoc& /*doc*/, CRhinoObject& /*object*/) {}
  // The new attributes are object.Attributes().
  virtual void OnModifyObjectAttributes(CRhinoDoc& /*doc*/, CRhinoObject& /*object*/,
                                        const CRhinoObjectAttributes& /*old_attributes*/) {}

  enum layer_event {
    layer_added,
    layer_deleted,
    layer_undeleted,
    layer_modified,
    layer_sorted,
    layer_current
  };
  virtual void LayerTableEvent(CRhinoEventWatcher::layer_event /*event*/,
                               const CRhinoLayerTable& /*layer_table*/, int /*layer_index*/,
                               const ON_Layer* /*old_settings*/) {}

  enum idef_event { idef_added, idef_deleted, idef_undeleted, idef_modified, idef_sorted };
  virtual void InstanceDefinitionTableEvent(CRhinoEventWatcher::idef_event /*event*/,
                                            const CRhinoInstanceDefinitionTable& /*idef_table*/,
                                            int /*idef_index*/,
                                            const ON_InstanceDefinition* /*old_settings*/) {}

  enum material_event {
    material_added,
    material_deleted,
    material_undeleted,
    material_modified,
    material_sorted,
    material_current
  };
  virtual void MaterialTableEvent(CRhinoEventWatcher::material_event /*event*/,
                                  const CRhinoMaterialTable& /*material_table*/,
                                  int /*material_index*/, const ON_Material* /*old_settings*/) {}

 private:
  bool m_enabled = false;
  bool m_registered = false;
};

// Notifications that are not document events: here only the host being idle.
class CRhinoEventWatcherEx {
 public:
  enum event_type { event_type_none = 0, event_type_rhino_is_idle = 8 };

  bool Register();
  bool Unregister();
  bool IsRegistered() const { return m_bIsRegistered; }
  // Watchers start enabled.
  void Enable(bool bEnable) { m_bIsEnabled = bEnable; }
  bool IsEnabled() const { return m_bIsEnabled; }

  const event_type m_event_type;
  const ON_UUID m_plugin_id;

 protected:
  CRhinoEventWatcherEx(CRhinoEventWatcherEx::event_type et, ON_UUID plugin_id);
  virtual ~CRhinoEventWatcherEx();

 private:
  CRhinoEventWatcherEx(const CRhinoEventWatcherEx&) = delete;
  CRhinoEventWatcherEx& operator=(const CRhinoEventWatcherEx&) = delete;
  bool m_bIsRegistered = false;
  bool m_bIsEnabled = true;
};

class CRhinoIsIdle;
namespace rhino_standin {
// Calls raise on every registered, enabled watcher, in the order they
// registered; a watcher may register or unregister others meanwhile.
void RaiseEvent(const std::function<void(CRhinoEventWatcher&)>& raise);
// Raises the document-closed event on every registered, enabled watcher.
void RaiseCloseDocument(CRhinoDoc& doc);
// Tells every registered, enabled idle watcher that the host is idle; the
// host's command thread calls it between command lines and while it waits.
void RaiseIdle(int count);
}  // namespace rhino_standin

// Called on the host's main thread whenever it has nothing else to do.
class CRhinoIsIdle : public CRhinoEventWatcherEx {
 public:
  CRhinoIsIdle(ON_UUID plugin_id);

  class CParameters {
   public:
    int m_count;

   private:
    friend void rhino_standin::RaiseIdle(int);
    CParameters() = default;
    CParameters(const CParameters&) = delete;
    CParameters& operator=(const CParameters&) = delete;
  };
  virtual void Notify(const class CRhinoIsIdle::CParameters& params) = 0;
};
