// Plug-in and command base classes. Their static objects register themselves
// when the module loads; the host finds them there.
#pragma once

#include "rhino_app.h"
#include "windows_types.h"

class CRhinoCommandContext {
 public:
  explicit CRhinoCommandContext(CRhinoDoc* doc) : m_doc(doc) {}
  CRhinoDoc* Document() const { return m_doc; }

 private:
  CRhinoDoc* m_doc;
};

class CRhinoPlugIn : public ON_Object {
 public:
  enum plugin_type : unsigned int {
    unknown_plugin_type = 0,
    render_plugin = 1,
    file_export_plugin = 2,
    file_import_plugin = 4,
    digitizer_plugin = 8,
    utility_plugin = 16,
    display_pipeline_plugin = 32,
    display_engine_plugin = 64
  };
  enum plugin_load_time {
    load_plugin_disabled = 0,
    load_plugin_at_startup = 1,
    load_plugin_when_needed = 2,
    load_plugin_when_needed_ignore_docked = 6,
    load_plugin_when_needed_or_optionsdlg = 10,
    load_plugin_when_needed_or_tabbed_dockbar = 18
  };

  CRhinoPlugIn();
  ~CRhinoPlugIn() override;

  virtual GUID PlugInID() const = 0;
  virtual const wchar_t* PlugInName() const = 0;
  virtual const wchar_t* PlugInVersion() const = 0;
  virtual int OnLoadPlugIn() { return 1; }
  virtual void OnUnloadPlugIn() {}
  virtual plugin_load_time PlugInLoadTime() { return load_plugin_when_needed; }
  virtual plugin_type PlugInType() const = 0;

  // The folder of the plug-in's module file, ending in a separator.
  BOOL GetPlugInFolder(ON_wString& result) const;
};

class CRhinoUtilityPlugIn : public CRhinoPlugIn {
 public:
  plugin_type PlugInType() const override { return utility_plugin; }
};

class CRhinoCommand {
 public:
  enum result {
    success = 0,
    cancel = 1,
    nothing = 2,
    failure = 3,
    unknown_command = 4,
    cancel_modeless_dialog = 5,
    exit_rhino = 0x0FFFFFFF
  };

  CRhinoCommand(bool bTransparent = false, bool bDoNotRepeat = false,
                const CRhinoPlugIn* pPlugIn = nullptr, bool bTestCommand = false);
  virtual ~CRhinoCommand();
  virtual UUID CommandUUID() = 0;
  virtual const wchar_t* EnglishCommandName() = 0;
  virtual const wchar_t* EnglishCommandName() const;
  virtual const wchar_t* LocalCommandName() const;
  virtual result RunCommand(const CRhinoCommandContext& context) = 0;

 private:
  // Kept as the SDK keeps them; the stand-in never reads them.
  [[maybe_unused]] bool m_transparent;
  [[maybe_unused]] bool m_do_not_repeat;
  [[maybe_unused]] bool m_test_command;
};
