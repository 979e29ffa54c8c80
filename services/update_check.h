// Asks the update service which converter version is current and offers the
// download when it differs from ours. Runs on the host's thread at plug-in load.
#pragma once

#include <optional>
#include <string>

#include "services/update_reply.h"

namespace services {

// The converter's own version, compared byte for byte with the service's answer.
inline constexpr const char* kConverterVersion = "0.9.0";

struct UpdateCheckSettings {
  std::string serviceBase;   // scheme://host[:port], HTTPS
  std::string caFile;        // CA bundle to verify against; empty = the system store
  std::wstring downloadUrl;  // opened in the shell when the user accepts
};

// Build-time values, each overridden by its environment variable when set
// (ORVEX_UPDATE_URL, ORVEX_UPDATE_CA_FILE, ORVEX_DOWNLOAD_URL).
UpdateCheckSettings UpdateCheckSettingsFromEnvironment();

// The GET of the check over HTTPS with the server certificate verified (against
// caFile when given, else the system store), a 3 s connection timeout and at
// most kMaxUpdateReplyBytes of body read. nullopt when no reply arrived, when
// the status is not 200, or when the base address is not HTTPS or names a host
// under the reserved domain "invalid" (the build's placeholder).
std::optional<UpdateReply> FetchUpdateReply(const UpdateCheckSettings& settings);

// The whole check: GET, parse, compare, prompt, open. Silent on every failure.
void RunUpdateCheck(const UpdateCheckSettings& settings);

}  // namespace services
