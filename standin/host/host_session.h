// Runs command lines: the plug-in's commands by English name and the host's
// own commands that change the document and the view.
#pragma once

#include <string>

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
  CRhinoObject* FindObject(const std::string& idOrName) const;
  bool ChangeView(const std::string& name, const std::vector<std::string>& args);
  // Tells the plug-ins the host is idle.
  void RaiseIdle();
  // While it waits, the host is idle this often.
  static constexpr unsigned kIdleIntervalMs = 5;

  PluginModule& m_plugin;
  Transcript& m_transcript;
  std::string m_default_units;
  bool m_exit = false;
  int m_idle_count = 0;
};

// The view every host session starts with: a perspective camera looking at the
// origin from above the first quadrant's opposite corner, Z up.
ON_Viewport DefaultHostViewport();
