#include "plugin/commands/command_steps.h"

#include "plugin/converter_context.h"
#include "plugin/messages.h"
#include "services/usage_reporter.h"

bool CheckConnected() {
  if (TheLinkFlags().connected) return true;
  messages::PrintConsole("Not Connected!\n");
  return false;
}

CRhinoCommand::result Succeeded(const char* action) {
  messages::PrintConsole("Success\n");
  services::ReportUsage("sync", action);
  return CRhinoCommand::success;
}
