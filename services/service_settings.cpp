#include "services/service_settings.h"

#include <cstdlib>

#include "platform/platform.h"
#include "services/update_check.h"

#if !defined(ORVEX_DEFAULT_UPDATE_URL) || !defined(ORVEX_DEFAULT_UPDATE_CA_FILE) || \
    !defined(ORVEX_DEFAULT_DOWNLOAD_URL) || !defined(ORVEX_DEFAULT_WEBSITE_URL) ||  \
    !defined(ORVEX_DEFAULT_ANALYTICS_HOST)
#error "The build passes the deployment values as ORVEX_DEFAULT_* definitions."
#endif

namespace services {

std::string DeploymentValue(const char* variable, const char* buildValue) {
  const char* value = std::getenv(variable);
  return value != nullptr ? value : buildValue;
}

UpdateCheckSettings UpdateCheckSettingsFromEnvironment() {
  UpdateCheckSettings settings;
  settings.serviceBase = DeploymentValue("ORVEX_UPDATE_URL", ORVEX_DEFAULT_UPDATE_URL);
  settings.caFile = DeploymentValue("ORVEX_UPDATE_CA_FILE", ORVEX_DEFAULT_UPDATE_CA_FILE);
  settings.downloadUrl =
      platform::AnsiToWide(DeploymentValue("ORVEX_DOWNLOAD_URL", ORVEX_DEFAULT_DOWNLOAD_URL));
  return settings;
}

std::wstring WebsiteUrlFromEnvironment() {
  return platform::AnsiToWide(DeploymentValue("ORVEX_WEBSITE_URL", ORVEX_DEFAULT_WEBSITE_URL));
}

std::string AnalyticsHostFromEnvironment() {
  return DeploymentValue("ORVEX_ANALYTICS_HOST", ORVEX_DEFAULT_ANALYTICS_HOST);
}

}  // namespace services
