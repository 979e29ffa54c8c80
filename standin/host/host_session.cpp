// The host's command table and the running of a command line.
#include "host_session.h"

#include <iostream>

const HostSession::HostCommand* HostSession::FindHostCommand(const std::string& typed) {
  using S = HostSession;
  static const HostCommand kCommands[] = {{"Exit", &S::Exit, nullptr},
                                          {"Wait", &S::Wait, nullptr},
                                          {"Esc", &S::PressEscape, nullptr},
                                          {"Open", &S::Open, nullptr},
                                          {"Close", &S::Close, nullptr},
                                          {"NoView", &S::ChangeView, nullptr},
                                          {"Orbit", &S::ChangeView, nullptr},
                                          {"Zoom", &S::ChangeView, nullptr},
                                          {"Projection", &S::ChangeView, nullptr},
                                          {"Units", nullptr, &S::SetUnits},
                                          {"SaveAs", nullptr, &S::SaveAs},
                                          {"Hide", nullptr, &S::ChangeState},
                                          {"Show", nullptr, &S::ChangeState},
                                          {"Delete", nullptr, &S::ChangeState},
                                          {"Lock", nullptr, &S::ChangeState},
                                          {"Move", nullptr, &S::Move},
                                          {"Material", nullptr, &S::AssignMaterial},
                                          {"EditMaterial", nullptr, &S::EditMaterial},
                                          {"AddMaterial", nullptr, &S::AddMaterial},
                                          {"DeleteMaterial", nullptr, &S::DeleteMaterial},
                                          {"Undo", &S::Undo, nullptr}};
  for (const HostCommand& command : kCommands)
    if (SameCommandName(typed, command.name)) return &command;
  return nullptr;
}

bool HostSession::RunHostCommand(const HostCommand& command, const Arguments& args) {
  if (command.run) return (this->*command.run)(command.name, args);
  // The commands left work on the open document.
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc) {
    std::cerr << command.name << ": no document is open" << std::endl;
    return false;
  }
  return (this->*command.runOnDocument)(*doc, command.name, args);
}

bool HostSession::Run(const std::string& line) {
  const bool understood = RunLine(line);
  BackAtPrompt();
  return understood;
}

bool HostSession::RunLine(const std::string& line) {
  const std::vector<std::string> words = SplitCommandLine(line);
  if (words.empty()) return true;
  const std::string name = CommandName(words[0]);
  const std::vector<std::string> args(words.begin() + 1, words.end());
  m_transcript.Command(name);
  if (CRhinoCommand* command = m_plugin.FindCommand(name)) {
    m_plugin.EnsureLoaded();
    rhino_standin::SetCommandsRunning(1);
    command->RunCommand(CRhinoCommandContext(RhinoApp().ActiveDoc()));
    rhino_standin::SetCommandsRunning(0);
    return true;
  }
  const HostCommand* hostCommand = FindHostCommand(name);
  if (!hostCommand) {
    std::cerr << "Unknown command: " << name << std::endl;
    return false;
  }
  return RunHostCommand(*hostCommand, args);
}
