#include "services/usage_reporter.h"

#include <httplib.h>

#include <thread>
#include <utility>

#include "services/client_id_file.h"
#include "services/form_encoding.h"
#include "services/service_settings.h"

namespace services {

std::string UsagePayload(const std::string& trackingId, const std::string& clientId,
                         const std::string& category, const std::string& action) {
  return "v=1&tid=" + trackingId + "&cid=" + FormEncode(clientId) +
         "&t=event&ec=" + FormEncode(category) + "&ea=" + FormEncode(action);
}

UsageReporter::UsageReporter(const UsageReporterSettings& settings)
    : trackingId_(kTrackingId),
      clientId_(LoadOrCreateClientId(settings.clientIdFilePath)),
      clientIdFilePath_(settings.clientIdFilePath),
      endpointHost_(settings.endpointHost),
      connectionTimeoutMicroseconds_(settings.connectionTimeoutMicroseconds) {}

void UsageReporter::SendEvent(std::string category, std::string action) const {
  std::string payload = UsagePayload(trackingId_, clientId_, category, action);
  try {
    std::thread poster([this, body = std::move(payload)] { Post(body); });
    poster.join();
  } catch (...) {
    // No thread could be started or joined: the event is dropped.
  }
}

void UsageReporter::Post(const std::string& payload) const {
  if (NamesInvalidHost(endpointHost_)) return;
  try {
    httplib::Client client(endpointHost_);
    client.set_connection_timeout(0, connectionTimeoutMicroseconds_);
    // The answer, whatever it is, is ignored.
    client.Post("/collect", payload, "application/x-www-form-urlencoded");
  } catch (...) {
    // Nothing the endpoint does reaches the plug-in.
  }
}

}  // namespace services
