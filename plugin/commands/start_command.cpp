#include "plugin/commands/command_steps.h"
#include "plugin/commands/commands.h"
#include "plugin/the_link.h"
#include "services/update_check.h"
#include "services/usage_reporter.h"

CRhinoCommand::result CCommandOrvexConverterStart::RunCommand(const CRhinoCommandContext& context) {
  if (!plugin::TheLink().Start(context.Document())) return success;
  plugin::Succeeded("start");
  services::ReportUsage("DCC_Version", RhinoVersion::VersionQuartetString());
  services::ReportUsage("Converter_Version", services::kConverterVersion);
  return success;
}
