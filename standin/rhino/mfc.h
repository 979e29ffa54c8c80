// The module's application object base, as far as a plug-in's application uses it.
#pragma once

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  virtual int InitInstance() { return 1; }
  virtual int ExitInstance() { return 0; }
};
