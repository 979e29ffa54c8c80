// Runs command lines: the plug-in's commands by English name and the host's
// own commands that change the document and the view.
//
// The host's command table and the dispatch are in host_session.cpp; each
// family of host commands has its own file: session_commands.cpp (Exit, Wait,
// Esc),
// document_commands.cpp (Open, Close, Units, SaveAs), view_commands.cpp
// (NoView, Orbit, Zoom, Projection), object_edit_commands.cpp (Hide, Show,
// Delete, Lock, Move, Material), material_edit_commands.cpp (EditMaterial,
// AddMaterial, DeleteMaterial) and
// edit_undo.cpp (Undo).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "command_line.h"
#include "plugin_module.h"
#include "transcript.h"

class HostSession {
 public:
  HostSession(PluginModule& plugin, Transcript& transcript, std::string defaultUnits)
      : m_plugin(plugin), m_transcript(transcript), m_default_units(std::move(defaultUnits)) {}

  // Opens a document file (or a 3D file); false with a message naming the file.
  bool OpenDocument(const std::string& path, std::string* error);
  // Runs one command line; false when it was not understood (message on
  // stderr). Then, as at Rhino's prompt, the host is idle in a burst, runs
  // what the plug-in asked RhinoApp().RunScript to run, and the timers due.
  bool Run(const std::string& line);
  bool ExitRequested() const { return m_exit; }
  // A script of RhinoApp().RunScript: run once the host is back at its prompt.
  void QueueScript(const std::wstring& script) { m_scripts.push_back(script); }

 private:
  using Arguments = std::vector<std::string>;
  // One of the host's own commands: its spelling and what runs it, either
  // `run` or, for a command on the open document, `runOnDocument`. Each gets
  // the command's own spelling and its arguments; false when it refused them
  // (message on stderr).
  struct HostCommand {
    const char* name;
    bool (HostSession::*run)(const std::string& name, const Arguments& args);
    bool (HostSession::*runOnDocument)(CRhinoDoc& doc, const std::string& name,
                                       const Arguments& args);
  };
  // The host command a name typed in any case stands for, or null.
  static const HostCommand* FindHostCommand(const std::string& typed);
  bool RunHostCommand(const HostCommand& command, const Arguments& args);

  // The session: Exit, Wait, Esc.
  bool Exit(const std::string& name, const Arguments& args);
  bool Wait(const std::string& name, const Arguments& args);
  bool PressEscape(const std::string& name, const Arguments& args);
  // Runs a command line, without what follows it at the prompt.
  bool RunLine(const std::string& line);
  // What follows each command line: an idle burst, the scripts asked for, the
  // timers due.
  void BackAtPrompt();
  // The host's messages for `milliseconds` (timers, each followed by an idle
  // burst), and the scripts they ask for.
  void RunMessagesFor(unsigned milliseconds);
  void RunQueuedScripts();

  // The document: Open, Close; Units and SaveAs on the open document.
  bool Open(const std::string& name, const Arguments& args);
  bool Close(const std::string& name, const Arguments& args);
  bool SetUnits(CRhinoDoc& doc, const std::string& name, const Arguments& args);
  bool SaveAs(CRhinoDoc& doc, const std::string& name, const Arguments& args);

  // The view: NoView, Orbit, Zoom, Projection.
  bool ChangeView(const std::string& name, const Arguments& args);

  // Edits of the open document. Each raises the events Rhino raises for it,
  // once the document has changed, and can be undone.
  // Hide, Show, Delete, Lock: an object, else a layer or a block definition.
  bool ChangeState(CRhinoDoc& doc, const std::string& name, const Arguments& args);
  bool Move(CRhinoDoc& doc, const std::string& name, const Arguments& args);
  bool AssignMaterial(CRhinoDoc& doc, const std::string& name, const Arguments& args);
  bool EditMaterial(CRhinoDoc& doc, const std::string& name, const Arguments& args);
  bool AddMaterial(CRhinoDoc& doc, const std::string& name, const Arguments& args);
  bool DeleteMaterial(CRhinoDoc& doc, const std::string& name, const Arguments& args);
  // The object (not deleted) or light with this id or name, or null.
  CRhinoObject* FindObject(const std::string& idOrName) const;

  // Undo: reverts the last edit of the open document.
  bool Undo(const std::string& name, const Arguments& args);
  // Keeps what reverts the edit just made to doc.
  void PushUndo(const CRhinoDoc& doc, std::function<void()> revert);

  PluginModule& m_plugin;
  Transcript& m_transcript;
  std::string m_default_units;
  bool m_exit = false;
  std::vector<std::wstring> m_scripts;
  // What reverts each edit of the document m_undo_doc (a runtime serial
  // number), the latest last.
  std::vector<std::function<void()>> m_undo;
  unsigned int m_undo_doc = 0;
};

// The view every host session starts with: a perspective camera looking at the
// origin from above the first quadrant's opposite corner, Z up.
ON_Viewport DefaultHostViewport();
