// Deployment values of the services: each is fixed at build time and may be
// overridden at run time by the environment variable of the same name.
#pragma once

#include <string>

namespace services {

// The value of the environment variable when it is set (even to an empty
// text), else the build-time value.
std::string DeploymentValue(const char* variable, const char* buildValue);

// ORVEX_WEBSITE_URL: the forum page that the website command opens.
std::wstring WebsiteUrlFromEnvironment();

// ORVEX_ANALYTICS_HOST: the analytics collection host, "host" or "host:port",
// reached over plain HTTP.
std::string AnalyticsHostFromEnvironment();

// True when the address ("host", "host:port" or "scheme://host[:port][/...]")
// names a host under the reserved top-level domain "invalid", which never
// resolves: the build's placeholder values. Such an address is never asked.
bool NamesInvalidHost(const std::string& address);

}  // namespace services
