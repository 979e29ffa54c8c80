// The module's application object; it keeps no state of its own.
#pragma once

#include "RhinoSdk.h"

class COrvexConvApp : public CWinApp {
 public:
  int InitInstance() override;
  int ExitInstance() override;
};
