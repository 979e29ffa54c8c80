// Process-wide state of the SDK stand-in, shared by its source files.
#pragma once

#include <string>

class CRhinoEventWatcher;

namespace rhino_standin {

void EmitPrint(const std::string& utf8);
int EmitMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags);
std::wstring VersionQuartet();
std::wstring PlugInModulePath();

void AddPlugIn(class CRhinoPlugIn* plugIn);
void RemovePlugIn(class CRhinoPlugIn* plugIn);
void AddCommand(class CRhinoCommand* command);
void RemoveCommand(class CRhinoCommand* command);
void SetApplication(class CWinApp* app);

void AddWatcher(CRhinoEventWatcher* watcher);
void RemoveWatcher(CRhinoEventWatcher* watcher);

}  // namespace rhino_standin
