// The application object: console, version, active document and active view;
// message boxes.
#pragma once

#include <memory>
#include <vector>

#include "opennurbs.h"
#include "rhino_doc.h"
#include "windows_types.h"

// A viewport of a view. Like the host's own, it is read and changed on the
// host's main thread only.
class CRhinoViewport {
 public:
  const ON_Viewport& VP() const { return m_vp; }
  bool SetVP(const ON_Viewport& vp, BOOL bUpdateTargetLocation, BOOL bAddToViewStack = true);

 private:
  ON_Viewport m_vp;
};

class CRhinoView {
 public:
  virtual ~CRhinoView() = default;
  virtual CRhinoViewport& ActiveViewport() const { return m_viewport; }

 private:
  mutable CRhinoViewport m_viewport;
};

class CRhinoApp {
 public:
  // Console output: the text is a printf format.
  void Print(const char* format, ...) const;
  void Print(const wchar_t* format, ...) const;

  // The host's major version (7).
  int ExeVersion() const { return 7; }

  // True while a command runs and the user has pressed Esc to cancel it. The
  // key reaches the host only while its messages are pumped: a long loop
  // calls Wait(0) to let it through.
  bool CommandCanceled() const;
  // Pauses for the time given, keeping the message pump alive.
  void Wait(DWORD dwMilliseconds);
  // The number of commands running.
  int InCommand(bool bIgnoreScriptRunnerCommands = false) const;
  // Runs a command script as if typed at the prompt. Outside a command it
  // returns at once and the script runs once the host is back at its prompt.
  bool RunScript(unsigned int rhino_doc_sn, const wchar_t* script, int echo_mode = 1);

  // The open document, or null.
  CRhinoDoc* ActiveDoc() const { return m_doc.get(); }
  // The active view, or null.
  CRhinoView* ActiveView() const { return m_active_view; }

  // --- Host side (the headless host and tests) ---
  // Opens a document (closing any open one first, with its close event).
  CRhinoDoc* StandinOpenDocument(std::unique_ptr<CRhinoDoc> doc);
  // Closes the open document: raises the close event, then destroys it.
  void StandinCloseDocument();
  // Creates a view (views live as long as the application) and makes it active.
  CRhinoView& StandinCreateView();
  // The view created last, or null when there is none.
  CRhinoView* StandinLastView() const { return m_views.empty() ? nullptr : m_views.back().get(); }
  // Sets the active view; null for none.
  void StandinSetActiveView(CRhinoView* view) { m_active_view = view; }

 private:
  std::unique_ptr<CRhinoDoc> m_doc;
  std::vector<std::unique_ptr<CRhinoView>> m_views;
  CRhinoView* m_active_view = nullptr;
};

CRhinoApp& RhinoApp();

// Message boxes: with an owner window (always null here) or without.
int RhinoMessageBox(HWND hParent, const wchar_t* message, const wchar_t* title, UINT type);
int RhinoMessageBox(const wchar_t* message, const wchar_t* title, UINT type);

class RhinoVersion {
 public:
  // The host's full version, "major.minor.build.revision".
  static const char* VersionQuartetString();
  static const wchar_t* VersionQuartetWideString();
};
