// Runs command lines: the plug-in's commands by English name and the host's
// own commands that change the document and the view.
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
  // Runs one command line; false when it was not understood (message on stderr).
  bool Run(const std::string& line);
  bool ExitRequested() const { return m_exit; }

 private:
  // `name` is one of the host's own commands, in its own spelling.
  bool RunHostCommand(const std::string& name, const std::vector<std::string>& args);
  // The object (not deleted) or light with this id or name, or null.
  CRhinoObject* FindObject(const std::string& idOrName) const;
  bool ChangeView(const std::string& name, const std::vector<std::string>& args);
  // Edits of the open document. Each raises the events Rhino raises for it,
  // once the document has changed, and can be undone.
  bool ChangeState(CRhinoDoc& doc, const std::string& name, const std::vector<std::string>& args);
  bool Move(CRhinoDoc& doc, const std::vector<std::string>& args);
  bool AssignMaterial(CRhinoDoc& doc, const std::vector<std::string>& args);
  bool EditMaterial(CRhinoDoc& doc, const std::vector<std::string>& args);
  // Reverts the last edit of the open document.
  void Undo();
  // Keeps what reverts the edit just made to doc.
  void PushUndo(const CRhinoDoc& doc, std::function<void()> revert);
  // Tells the plug-ins the host is idle.
  void RaiseIdle();
  // While it waits, the host is idle this often.
  static constexpr unsigned kIdleIntervalMs = 5;

  PluginModule& m_plugin;
  Transcript& m_transcript;
  std::string m_default_units;
  bool m_exit = false;
  int m_idle_count = 0;
  // What reverts each edit of the document m_undo_doc (a runtime serial
  // number), the latest last.
  std::vector<std::function<void()>> m_undo;
  unsigned int m_undo_doc = 0;
};

// The view every host session starts with: a perspective camera looking at the
// origin from above the first quadrant's opposite corner, Z up.
ON_Viewport DefaultHostViewport();
