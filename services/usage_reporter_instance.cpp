// The process-wide reporter, built from the environment and the host.
#include <utility>

#include "RhinoSdk.h"
#include "platform/platform.h"
#include "services/client_id_file.h"
#include "services/service_settings.h"
#include "services/usage_reporter.h"

namespace services {

UsageReporterSettings UsageReporter::SettingsFromEnvironment() {
  UsageReporterSettings settings;
  settings.endpointHost = AnalyticsHostFromEnvironment();
  settings.clientIdFilePath = ClientIdFilePath(platform::RoamingAppDataFolder(),
                                               RhinoApp().ExeVersion(), platform::PathSeparator());
  return settings;
}

UsageReporter& UsageReporter::Instance() {
  static UsageReporter reporter(SettingsFromEnvironment());
  return reporter;
}

void ReportUsage(std::string category, std::string action) {
  UsageReporter::Instance().SendEvent(std::move(category), std::move(action));
}

}  // namespace services
