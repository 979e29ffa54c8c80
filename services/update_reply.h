// The update service's reply and what it asks of the plug-in, without any
// network: the decision whether to offer the download.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace services {

// The request sent to the update service's base address.
inline constexpr const char* kUpdateCheckPath = "/api/plugins/check-version?pluginType=6";

// At most this much of a reply is read; the rest is never received.
inline constexpr std::size_t kMaxUpdateReplyBytes = 64 * 1024;

struct UpdateReply {
  int status = 0;
  std::string body;  // at most kMaxUpdateReplyBytes
};

// The string member "version" of the reply body, read even when the body
// breaks off after it; nullopt when there is none.
std::optional<std::string> VersionInReplyBody(const std::string& body);

// True when the reply has status 200 and names a version whose bytes are not
// exactly our own: the user is offered the download.
bool ReplyOffersNewVersion(const UpdateReply& reply);

}  // namespace services
