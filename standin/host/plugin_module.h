// Loads the plug-in module as the host does: reads its declaration exports,
// finds the plug-in object and commands it registered, and calls the load
// callback the first time one of its commands runs.
#pragma once

#include <string>
#include <vector>

#include "RhinoSdk.h"

class PluginModule {
 public:
  // False with a message when the module cannot be loaded or declares nothing.
  bool Load(const std::string& path, std::string* error);
  // The declaration exports, one "name: value" line each.
  std::string About() const;
  // The command with this English name, or null.
  CRhinoCommand* FindCommand(const std::string& englishName) const;
  // Calls the plug-in's load callback once.
  void EnsureLoaded();

 private:
  void* m_module = nullptr;
  bool m_loaded = false;
};
