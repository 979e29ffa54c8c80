#include "platform/platform.h"
#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/converter_context.h"
#include "services/update_check.h"
#include "services/usage_reporter.h"

CRhinoCommand::result CCommandOrvexConverterStart::RunCommand(const CRhinoCommandContext& context) {
  if (!StartFlow(TheConverterContext(), context.Document())) return success;
  Succeeded("start");
  services::ReportUsage("DCC_Version", RhinoVersion::VersionQuartetString());
  services::ReportUsage("Converter_Version", services::kConverterVersion);
  return success;
}
