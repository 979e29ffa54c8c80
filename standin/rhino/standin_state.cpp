#include "standin_state.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

#include "platform/platform.h"
#include "rhino_event_watcher.h"
#include "rhino_plugin.h"
#include "standin_host.h"

namespace rhino_standin {
namespace {

struct State {
  HostHooks hooks;
  CRhinoPlugIn* plugIn = nullptr;
  std::vector<CRhinoCommand*> commands;
  CWinApp* app = nullptr;
  std::wstring modulePath;
  VersionTexts versionQuartet{L"7.37.24107.15001", "7.37.24107.15001"};
  std::vector<CRhinoEventWatcher*> watchers;
  std::vector<CRhinoEventWatcherEx*> watchersEx;
  Commands commandState;
};

State& state() {
  static State s;
  return s;
}

// openNURBS is started once, when the host's libraries load, as Rhino does
// before it loads a plug-in.
const bool g_opennurbs_started = [] {
  ON::Begin();
  return true;
}();

}  // namespace

void SetHostHooks(HostHooks hooks) { state().hooks = std::move(hooks); }

void EmitPrint(const std::string& utf8) {
  if (state().hooks.print) {
    state().hooks.print(utf8);
    return;
  }
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
}

int EmitMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags) {
  if (state().hooks.messageBox) return state().hooks.messageBox(text, caption, flags);
  std::cerr << "[message box] " << platform::WideToUtf8(caption) << ": "
            << platform::WideToUtf8(text) << std::endl;
  return 1;
}

bool EmitRunScript(unsigned int docSerialNumber, const std::wstring& script) {
  return state().hooks.runScript && state().hooks.runScript(docSerialNumber, script);
}

const Commands& CommandState() { return state().commandState; }

void SetCommandsRunning(int count) {
  const int before = state().commandState.running;
  state().commandState.running = count;
  if (before == 0 && count > 0) CommandStarted();
  if (count == 0) {
    state().commandState.canceled = false;
    if (before > 0) CommandEnded();
  }
}

void SetCommandCanceled(bool canceled) {
  state().commandState.canceled = canceled && state().commandState.running > 0;
}

void EmitProgress(const ProgressMeterEvent& event) {
  if (state().hooks.progress) state().hooks.progress(event);
}

const VersionTexts& VersionQuartet() { return state().versionQuartet; }
void SetVersionQuartet(const std::wstring& version) {
  state().versionQuartet = {version, platform::WideToUtf8(version)};
}

std::wstring PlugInModulePath() { return state().modulePath; }
void SetPlugInModulePath(const std::wstring& path) { state().modulePath = path; }

void AddPlugIn(CRhinoPlugIn* plugIn) { state().plugIn = plugIn; }
void RemovePlugIn(CRhinoPlugIn* plugIn) {
  if (state().plugIn == plugIn) state().plugIn = nullptr;
}
CRhinoPlugIn* RegisteredPlugIn() { return state().plugIn; }

void AddCommand(CRhinoCommand* command) { state().commands.push_back(command); }
void RemoveCommand(CRhinoCommand* command) {
  auto& commands = state().commands;
  commands.erase(std::remove(commands.begin(), commands.end(), command), commands.end());
}
const std::vector<CRhinoCommand*>& RegisteredCommands() { return state().commands; }

void SetApplication(CWinApp* app) { state().app = app; }
CWinApp* RegisteredApplication() { return state().app; }

void AddWatcher(CRhinoEventWatcher* watcher) { state().watchers.push_back(watcher); }
void RemoveWatcher(CRhinoEventWatcher* watcher) {
  auto& watchers = state().watchers;
  watchers.erase(std::remove(watchers.begin(), watchers.end(), watcher), watchers.end());
}

void AddWatcherEx(CRhinoEventWatcherEx* watcher) { state().watchersEx.push_back(watcher); }
void RemoveWatcherEx(CRhinoEventWatcherEx* watcher) {
  auto& watchers = state().watchersEx;
  watchers.erase(std::remove(watchers.begin(), watchers.end(), watcher), watchers.end());
}

void RaiseIdle(int count) {
  CRhinoIsIdle::CParameters parameters;
  parameters.m_count = count;
  const std::vector<CRhinoEventWatcherEx*> watchers = state().watchersEx;
  for (CRhinoEventWatcherEx* watcher : watchers)
    if (watcher->m_event_type == CRhinoEventWatcherEx::event_type_rhino_is_idle &&
        watcher->IsEnabled())
      static_cast<CRhinoIsIdle*>(watcher)->Notify(parameters);
}

void RaiseEvent(const std::function<void(CRhinoEventWatcher&)>& raise) {
  // A watcher may register or unregister others while it runs: walk a copy.
  const std::vector<CRhinoEventWatcher*> watchers = state().watchers;
  for (CRhinoEventWatcher* watcher : watchers)
    if (watcher->IsEnabled()) raise(*watcher);
}

void RaiseCloseDocument(CRhinoDoc& doc) {
  RaiseEvent([&doc](CRhinoEventWatcher& watcher) { watcher.OnCloseDocument(doc); });
}

}  // namespace rhino_standin
