#include "plugin/commands/command_steps.h"

#include "common/messages.h"
#include "services/usage_reporter.h"

namespace plugin {

CRhinoCommand::result Succeeded(const char* action) {
  common::PrintConsole("Success\n");
  services::ReportUsage("sync", action);
  return CRhinoCommand::success;
}

}  // namespace plugin
