#include "services/update_check.h"

#include <httplib.h>

#include <algorithm>
#include <string>

#include "common/messages.h"
#include "platform/platform.h"
#include "services/service_settings.h"

namespace services {
namespace {

constexpr const char* kHttpsScheme = "https://";

// The connection timeout: 0 s and 3,000,000 us.
constexpr time_t kConnectSeconds = 0;
constexpr time_t kConnectMicroseconds = 3000000;

}  // namespace

std::optional<UpdateReply> FetchUpdateReply(const UpdateCheckSettings& settings) {
  // Only HTTPS, so that the server is always verified.
  if (settings.serviceBase.rfind(kHttpsScheme, 0) != 0) return std::nullopt;
  if (NamesInvalidHost(settings.serviceBase)) return std::nullopt;
  httplib::Client client(settings.serviceBase);
  if (!client.is_valid()) return std::nullopt;
  client.enable_server_certificate_verification(true);
  if (!settings.caFile.empty()) client.set_ca_cert_path(settings.caFile);
  client.set_connection_timeout(kConnectSeconds, kConnectMicroseconds);

  UpdateReply reply;
  bool limitReached = false;
  const httplib::Result result = client.Get(
      kUpdateCheckPath,
      [&reply](const httplib::Response& response) {
        reply.status = response.status;
        return response.status == 200;  // any other body is never read
      },
      [&reply, &limitReached](const char* data, size_t length) {
        const size_t room = kMaxUpdateReplyBytes - reply.body.size();
        if (length > room) {
          reply.body.append(data, room);
          limitReached = true;
          return false;  // stop receiving; what was read is the reply
        }
        reply.body.append(data, length);
        return true;
      });
  if (result) {
    reply.status = result->status;
  } else if (!limitReached) {
    return std::nullopt;
  }
  if (reply.status != 200) return std::nullopt;
  return reply;
}

void RunUpdateCheck(const UpdateCheckSettings& settings) {
  try {
    const std::optional<UpdateReply> reply = FetchUpdateReply(settings);
    if (!reply || !ReplyOffersNewVersion(*reply)) return;
    if (common::ShowMessage(common::Message::NewVersionPublished) != common::kButtonOk) return;
    platform::ShellOpen(L"open", L"explorer.exe", settings.downloadUrl);
  } catch (...) {
    // Every failure of the check is silent; loading goes on.
  }
}

}  // namespace services
