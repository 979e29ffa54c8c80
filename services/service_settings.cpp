#include "services/service_settings.h"

#include <cctype>
#include <string_view>

#include "platform/platform.h"
#include "services/update_check.h"

#if !defined(ORVEX_DEFAULT_UPDATE_URL) || !defined(ORVEX_DEFAULT_UPDATE_CA_FILE) || \
    !defined(ORVEX_DEFAULT_DOWNLOAD_URL) || !defined(ORVEX_DEFAULT_WEBSITE_URL) ||  \
    !defined(ORVEX_DEFAULT_ANALYTICS_HOST)
#error "The build passes the deployment values as ORVEX_DEFAULT_* definitions."
#endif

namespace services {

std::string DeploymentValue(const char* variable, const char* buildValue) {
  return platform::EnvironmentValue(variable).value_or(buildValue);
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

bool NamesInvalidHost(const std::string& address) {
  std::string_view host = address;
  if (const size_t scheme = host.find("://"); scheme != std::string_view::npos) {
    host.remove_prefix(scheme + 3);
  }
  host = host.substr(0, host.find_first_of("/?#"));
  if (!host.empty() && host.front() == '[') return false;  // an IPv6 literal
  host = host.substr(0, host.find(':'));
  while (!host.empty() && host.back() == '.') host.remove_suffix(1);
  std::string lower;
  for (const char c : host) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  constexpr std::string_view kReserved = "invalid";
  if (lower == kReserved) return true;
  return lower.size() > kReserved.size() &&
         lower.compare(lower.size() - kReserved.size() - 1, std::string::npos, ".invalid") == 0;
}

}  // namespace services
