// What the headless host and the tests reach inside the SDK stand-in: the
// registered plug-in objects, the console, message-box and progress-meter
// hooks, the loaded module's path. Nothing here is part of the SDK itself.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CRhinoPlugIn;
class CRhinoCommand;
class CWinApp;

namespace rhino_standin {

// A change of the status bar's progress meter; pos is the meter's position
// after the change (kPos only), label the text it shows (kStart only).
struct ProgressMeterEvent {
  enum class Stage { kStart, kPos, kEnd } stage;
  int lower = 0;
  int upper = 0;
  int pos = 0;
  std::wstring label;
};

struct HostHooks {
  // Receives each console text as printed (UTF-8). Default: standard output.
  std::function<void(const std::string&)> print;
  // Answers a message box (text, caption, flags) with a button value.
  // Default: the box goes to standard error and is answered OK (1).
  std::function<int(const std::wstring&, const std::wstring&, unsigned)> messageBox;
  // Receives each start, move and end of a document's progress meter, on the
  // thread that made it. Default: nothing is shown.
  std::function<void(const ProgressMeterEvent&)> progress;
  // Takes a script of RhinoApp().RunScript to run once the host is back at
  // its prompt; false when it cannot. Default: refused.
  std::function<bool(unsigned int, const std::wstring&)> runScript;
};

void SetHostHooks(HostHooks hooks);

// Objects the loaded module registered, in construction order.
CRhinoPlugIn* RegisteredPlugIn();
const std::vector<CRhinoCommand*>& RegisteredCommands();
CWinApp* RegisteredApplication();

// The module file of the loaded plug-in (GetPlugInFolder derives from it).
void SetPlugInModulePath(const std::wstring& path);

// The host's version quartet (default "7.37.24107.15001").
void SetVersionQuartet(const std::wstring& version);

// The host's command state: how many commands run. The last to end takes
// with it an Esc pressed while it ran.
void SetCommandsRunning(int count);

}  // namespace rhino_standin
