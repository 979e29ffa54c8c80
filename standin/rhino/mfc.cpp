#include "mfc.h"

#include "standin_state.h"

CWinApp::CWinApp() { rhino_standin::SetApplication(this); }
CWinApp::~CWinApp() { rhino_standin::SetApplication(nullptr); }
