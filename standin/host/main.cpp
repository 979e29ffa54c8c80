// orvex-host: a headless host that loads the plug-in module, opens a document
// and runs commands from the command line, a script or a prompt.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "RhinoSdk.h"
#include "command_line.h"
#include "host_desktop.h"
#include "host_session.h"
#include "plugin_module.h"
#include "standin_host.h"
#include "transcript.h"

#ifndef ORVEX_DEFAULT_PLUGIN_PATH
#define ORVEX_DEFAULT_PLUGIN_PATH "OrvexConv.rhp"
#endif

namespace {

// Ends the process without running static destructors: detached view-sync
// threads may still be finishing, and the host's objects must outlive them.
[[noreturn]] void Finish(int status) {
  if (CRhinoPlugIn* plugIn = rhino_standin::RegisteredPlugIn()) plugIn->OnUnloadPlugIn();
  if (CWinApp* app = rhino_standin::RegisteredApplication()) app->ExitInstance();
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(status);
}

}  // namespace

int main(int argc, char** argv) {
  UseUntranslatedStandardOutput();
  HostOptions options;
  std::string error;
  std::vector<std::string> arguments = Utf8Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  if (!ParseHostOptions(static_cast<int>(pointers.size()), pointers.data(), &options, &error)) {
    std::cerr << "orvex-host: " << error << "\n" << HostUsage();
    return 2;
  }
  Transcript transcript;
  if (!options.transcript.empty() && !transcript.Open(options.transcript)) {
    std::cerr << "orvex-host: cannot write the transcript " << options.transcript << std::endl;
    return 2;
  }
  HostDesktop desktop(options, transcript);
  platform::SetDesktop(&desktop);
  rhino_standin::HostHooks hooks;
  hooks.print = [&transcript](const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    transcript.Print(text);
  };
  hooks.messageBox = [&desktop](const std::wstring& text, const std::wstring& caption,
                                unsigned flags) {
    return desktop.ShowMessageBox(text, caption, flags);
  };
  // The progress meter shows nowhere but in the transcript.
  hooks.progress = [&transcript](const rhino_standin::ProgressMeterEvent& event) {
    transcript.Progress(event);
  };
  rhino_standin::SetHostHooks(hooks);

  CRhinoView& view = RhinoApp().StandinCreateView();
  view.ActiveViewport().SetVP(DefaultHostViewport(), TRUE);

  PluginModule plugin;
  const std::string pluginPath =
      options.plugin.empty() ? std::string(ORVEX_DEFAULT_PLUGIN_PATH) : options.plugin;
  if (!plugin.Load(pluginPath, &error)) {
    std::cerr << "orvex-host: " << error << std::endl;
    Finish(2);
  }
  if (options.about) {
    std::cout << plugin.About();
    Finish(0);
  }

  HostSession session(plugin, transcript, options.units);
  // What the plug-in asks RhinoApp().RunScript to run, the session runs once
  // it is back at its prompt.
  hooks.runScript = [&session](unsigned int, const std::wstring& script) {
    session.QueueScript(script);
    return true;
  };
  rhino_standin::SetHostHooks(hooks);
  if (!options.doc.empty() && !session.OpenDocument(options.doc, &error)) {
    std::cerr << "orvex-host: " << error << std::endl;
    Finish(2);
  }

  bool understood = true;
  auto run = [&](const std::string& line) {
    if (!session.Run(line)) understood = false;
    return !session.ExitRequested();
  };
  for (const std::string& command : options.commands)
    if (!run(command)) Finish(understood ? 0 : 2);
  if (!options.script.empty()) {
    std::ifstream script(std::filesystem::u8path(options.script));
    if (!script) {
      std::cerr << "orvex-host: cannot read the script " << options.script << std::endl;
      Finish(2);
    }
    for (std::string line; std::getline(script, line);)
      if (!run(line)) Finish(understood ? 0 : 2);
  }
  if (StandardInputIsTerminal()) {
    for (std::string line;;) {
      std::cout << "Command: " << std::flush;
      if (!std::getline(std::cin, line) || !run(line)) break;
    }
  }
  Finish(understood ? 0 : 2);
}
