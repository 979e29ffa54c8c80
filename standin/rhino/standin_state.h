// Process-wide state of the SDK stand-in, shared by its source files.
#pragma once

#include <string>

class CRhinoEventWatcher;
class CRhinoEventWatcherEx;
class CRhinoPlugIn;
class CRhinoCommand;
class CWinApp;

namespace rhino_standin {

struct ProgressMeterEvent;

void EmitPrint(const std::string& utf8);
int EmitMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags);
void EmitProgress(const ProgressMeterEvent& event);
bool EmitRunScript(unsigned int docSerialNumber, const std::wstring& script);
struct Commands {
  int running = 0;
  bool canceled = false;
};
const Commands& CommandState();
void SetCommandCanceled(bool canceled);
// The message loop hears when the first command starts and the last ends.
void CommandStarted();
void CommandEnded();
// The host's version, both ways; changed only while no plug-in is loaded.
struct VersionTexts {
  std::wstring wide;
  std::string narrow;
};
const VersionTexts& VersionQuartet();
std::wstring PlugInModulePath();

void AddPlugIn(CRhinoPlugIn* plugIn);
void RemovePlugIn(CRhinoPlugIn* plugIn);
void AddCommand(CRhinoCommand* command);
void RemoveCommand(CRhinoCommand* command);
void SetApplication(CWinApp* app);

void AddWatcher(CRhinoEventWatcher* watcher);
void RemoveWatcher(CRhinoEventWatcher* watcher);
void AddWatcherEx(CRhinoEventWatcherEx* watcher);
void RemoveWatcherEx(CRhinoEventWatcherEx* watcher);

}  // namespace rhino_standin
