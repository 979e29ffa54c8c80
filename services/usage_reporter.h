// Usage events: one form-encoded POST per event to the analytics collection
// endpoint, posted on a thread of its own that the caller joins at once.
#pragma once

#include <string>

namespace services {

// The analytics property id, sent as tid.
inline constexpr const char* kTrackingId = "UA-123456789-01";

struct UsageReporterSettings {
  std::string endpointHost;                    // "host" or "host:port", plain HTTP
  std::wstring clientIdFilePath;               // where the client id is kept
  int connectionTimeoutMicroseconds = 100000;  // 0.1 s
};

// "v=1&tid=<tracking id>&cid=<client id>&t=event&ec=<category>&ea=<action>",
// with the client id, category and action form-encoded.
std::string UsagePayload(const std::string& trackingId, const std::string& clientId,
                         const std::string& category, const std::string& action);

class UsageReporter {
 public:
  // Reads the client id from its file, or makes one and writes it there.
  explicit UsageReporter(const UsageReporterSettings& settings);
  UsageReporter(const UsageReporter&) = delete;
  UsageReporter& operator=(const UsageReporter&) = delete;

  // The process-wide reporter, created on first use from the environment.
  static UsageReporter& Instance();
  // ORVEX_ANALYTICS_HOST (or its build-time value) and the client id file in
  // the roaming application-data folder for the host's major version.
  static UsageReporterSettings SettingsFromEnvironment();

  // Posts one event and returns when the post has ended, whatever its outcome.
  // A host under the reserved domain "invalid" (the build's placeholder) is
  // never asked.
  void SendEvent(std::string category, std::string action) const;

  const std::string& trackingId() const { return trackingId_; }
  const std::string& clientId() const { return clientId_; }
  const std::wstring& clientIdFilePath() const { return clientIdFilePath_; }
  const std::string& endpointHost() const { return endpointHost_; }

 private:
  void Post(const std::string& payload) const;

  std::string trackingId_;
  std::string clientId_;
  std::wstring clientIdFilePath_;
  std::string endpointHost_;
  int connectionTimeoutMicroseconds_;
};

// Reports one (category, action) event through the process-wide reporter,
// creating it on first use. Never fails visibly.
void ReportUsage(std::string category, std::string action);

}  // namespace services
