#include "services/update_reply.h"

#include <sstream>

#include "services/json_reader.h"
#include "services/update_check.h"

namespace services {

std::optional<std::string> VersionInReplyBody(const std::string& body) {
  std::istringstream in(body);
  json::Object reply;
  // The parse result is not consulted: members read before a syntax error count.
  json::ParseObject(in, reply);
  if (!reply.has<json::String>("version")) return std::nullopt;
  return reply.get<json::String>("version");
}

bool ReplyOffersNewVersion(const UpdateReply& reply) {
  if (reply.status != 200) return false;
  const std::optional<std::string> version = VersionInReplyBody(reply.body);
  if (!version) return false;
  // Compared as bytes: "0.9.0 ", "v0.9.0" and "0.9.0\0" all differ from ours.
  return *version != std::string(kConverterVersion);
}

}  // namespace services
