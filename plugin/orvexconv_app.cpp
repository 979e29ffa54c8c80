#include "plugin/orvexconv_app.h"

int COrvexConvApp::InitInstance() {
  CWinApp::InitInstance();
  return 1;
}

int COrvexConvApp::ExitInstance() { return CWinApp::ExitInstance(); }
