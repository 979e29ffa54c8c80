// The plug-in object the host loads.
#pragma once

#include "RhinoSdk.h"

class COrvexConvPlugIn : public CRhinoUtilityPlugIn {
 public:
  COrvexConvPlugIn();
  ~COrvexConvPlugIn() override = default;

  GUID PlugInID() const override;
  const wchar_t* PlugInName() const override;
  const wchar_t* PlugInVersion() const override;
  BOOL OnLoadPlugIn() override;
  void OnUnloadPlugIn() override;
  plugin_load_time PlugInLoadTime() override;

 private:
  ON_wString m_plugin_version;
};

COrvexConvPlugIn& OrvexConvPlugIn();
