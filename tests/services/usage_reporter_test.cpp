#include "services/usage_reporter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "RhinoSdk.h"
#include "platform/platform.h"
#include "services/client_id_file.h"
#include "services/form_encoding.h"
#include "services/service_settings.h"
#include "test_support.h"
#include "tests/support/file_io.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using services::UsageReporter;
using services::UsageReporterSettings;
using services_test::RunningServer;
using test_support::ReadFile;
using test_support::TempDir;
using test_support::WriteFile;

const std::string kPayloadStart = "v=1&tid=UA-123456789-01&cid=";

bool IsUuidText(const std::string& text) {
  static const std::regex kUuid("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
  return std::regex_match(text, kUuid);
}

// The events the commands send, in the order of the table of events.
const std::vector<std::pair<std::string, std::string>> kCommandEvents = {
    {"sync", "start"},
    {"DCC_Version", "7.37.24107.15001"},
    {"Converter_Version", "0.9.0"},
    {"sync", "stop"},
    {"sync", "sync"},
    {"sync", "viewOn"},
    {"sync", "viewOff"},
    {"sync", "sendScenes"},
    {"sync", "sync_light"},
    {"sync", "logo"}};

// --- Payload and form encoding ---------------------------------------------------------

TEST(UsagePayload, ExactBodyOfSyncStart) {
  const std::string clientId = platform::NewUuidText();
  EXPECT_EQ("v=1&tid=UA-123456789-01&cid=" + clientId + "&t=event&ec=sync&ea=start",
            services::UsagePayload(services::kTrackingId, clientId, "sync", "start"));
}

TEST(UsagePayload, FixedEventsAreUnchangedByTheEncoding) {
  for (const auto& [category, action] : kCommandEvents) {
    EXPECT_EQ(category, services::FormEncode(category));
    EXPECT_EQ(action, services::FormEncode(action));
  }
}

TEST(UsagePayload, ValuesAreFormEncoded) {
  EXPECT_EQ("v=1&tid=UA-123456789-01&cid=a%26b&t=event&ec=x%3Dy&ea=a+b%26c",
            services::UsagePayload(services::kTrackingId, "a&b", "x=y", "a b&c"));
}

TEST(FormEncoding, ReservedAndNonAsciiBytes) {
  EXPECT_EQ("AZaz09-._~", services::FormEncode("AZaz09-._~"));
  EXPECT_EQ("a+b", services::FormEncode("a b"));
  EXPECT_EQ("%2B%26%3D%25%2F%3F%23%22%27%2A", services::FormEncode("+&=%/?#\"'*"));
  EXPECT_EQ("%C3%A9%E4%B8%AD", services::FormEncode("\xC3\xA9\xE4\xB8\xAD"));
  EXPECT_EQ("%00%0A%0D%7F%FF", services::FormEncode(std::string("\0\n\r\x7F\xFF", 5)));
  EXPECT_EQ("", services::FormEncode(""));
}

TEST(FormEncoding, EveryOtherByteBecomesPercentAndTwoUpperCaseDigits) {
  const std::string kept = "-._~";
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    if (std::isalnum(byte) || kept.find(c) != std::string::npos || c == ' ') continue;
    const std::string encoded = services::FormEncode(std::string(1, c));
    ASSERT_EQ(3u, encoded.size()) << byte;
    EXPECT_EQ('%', encoded[0]);
    EXPECT_EQ(encoded, [&] {
      std::string upper = encoded;
      for (char& d : upper) d = static_cast<char>(std::toupper(static_cast<unsigned char>(d)));
      return upper;
    }()) << byte;
    EXPECT_EQ(byte, std::strtol(encoded.substr(1).c_str(), nullptr, 16)) << byte;
  }
}

// --- The client id file ------------------------------------------------------------------

TEST(ClientIdPath, InTheRoamingFolder) {
  EXPECT_EQ(
      L"/cfg/McNeel/Rhinoceros/7.0/Plug-ins/OrvexConv (7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53)/"
      L"orvex_RhinoCid.txt",
      services::ClientIdFilePath(std::wstring(L"/cfg"), 7, L'/'));
  EXPECT_EQ(
      L"C:\\Users\\u\\AppData\\Roaming\\McNeel\\Rhinoceros\\8.0\\Plug-ins\\"
      L"OrvexConv (7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53)\\orvex_RhinoCid.txt",
      services::ClientIdFilePath(std::wstring(L"C:\\Users\\u\\AppData\\Roaming"), 8, L'\\'));
  EXPECT_EQ(L"orvex_RhinoCid.txt", services::ClientIdFilePath(std::nullopt, 7, L'/'));
}

class ClientIdFileTest : public ::testing::Test {
 protected:
  // A reporter that keeps its client id at `file` and posts nowhere.
  std::string ClientIdOf(const std::filesystem::path& file) {
    UsageReporterSettings settings;
    settings.endpointHost = "127.0.0.1:9";
    settings.clientIdFilePath = platform::AnsiToWide(file.string());
    return UsageReporter(settings).clientId();
  }

  TempDir folder_;
  std::filesystem::path file_ = folder_.path() / "a" / "b" / "orvex_RhinoCid.txt";
};

TEST_F(ClientIdFileTest, CreatedOnFirstUseAndReusedAfterwards) {
  ASSERT_FALSE(std::filesystem::exists(file_.parent_path()));
  const std::string first = ClientIdOf(file_);
  EXPECT_TRUE(IsUuidText(first)) << first;
  EXPECT_EQ(first, ReadFile(file_));  // alone, with no line terminator
  EXPECT_EQ(first, ClientIdOf(file_));
  EXPECT_EQ(first, ReadFile(file_));
  const std::string other = ClientIdOf(folder_.path() / "elsewhere.txt");
  EXPECT_NE(first, other);
}

TEST_F(ClientIdFileTest, EmptyOrBlankFileGetsAFreshIdWrittenBack) {
  for (const std::string content : {"", "\n", "\n\n\r\n", "  \t\n \n"}) {
    WriteFile(file_, content);
    const std::string id = ClientIdOf(file_);
    EXPECT_TRUE(IsUuidText(id)) << '"' << content << '"';
    EXPECT_EQ(id, ReadFile(file_));
    EXPECT_EQ(id, ClientIdOf(file_));
  }
}

TEST_F(ClientIdFileTest, LastNonEmptyLineIsTheId) {
  const std::vector<std::pair<std::string, std::string>> cases = {{"abc\n", "abc"},
                                                                  {"first\nsecond", "second"},
                                                                  {"first\nsecond\n\n", "second"},
                                                                  {"abc\r\n", "abc"},
                                                                  {"  padded  ", "padded"},
                                                                  {"one\n\ntwo\n \n", "two"},
                                                                  {"kept-as-is", "kept-as-is"}};
  for (const auto& [content, id] : cases) {
    WriteFile(file_, content);
    EXPECT_EQ(id, ClientIdOf(file_)) << '"' << content << '"';
    EXPECT_EQ(content, ReadFile(file_));  // nothing is written
  }
}

TEST_F(ClientIdFileTest, UnwritableFileStillGivesAnIdForThisProcess) {
  WriteFile(folder_.path() / "plain-file", "x");
  const std::filesystem::path blocked = folder_.path() / "plain-file" / "orvex_RhinoCid.txt";
  const std::string first = ClientIdOf(blocked);
  EXPECT_TRUE(IsUuidText(first));
  EXPECT_FALSE(std::filesystem::exists(blocked));
  EXPECT_NE(first, ClientIdOf(blocked));
  EXPECT_EQ(std::nullopt, services::ReadClientId(blocked.string()));
}

// --- Against a real HTTP server on 127.0.0.1 ---------------------------------------------

struct Posted {
  std::string method;
  std::string path;
  std::string contentType;
  std::string body;
  std::string category;  // the form fields as the server decodes them
  std::string action;
};

class UsageReporterServerTest : public ::testing::Test {
 protected:
  UsageReporterServerTest() {
    auto server = std::make_unique<httplib::Server>();
    server->Post("/collect", [this](const httplib::Request& request, httplib::Response& response) {
      std::this_thread::sleep_for(delay_);
      std::lock_guard<std::mutex> lock(mutex_);
      posted_.push_back({request.method, request.path, request.get_header_value("Content-Type"),
                         request.body, request.get_param_value("ec"),
                         request.get_param_value("ea")});
      response.status = status_;
    });
    server_ = std::make_unique<RunningServer>(std::move(server));
    WriteFile(clientIdFile_, clientId_);
  }

  UsageReporterSettings Settings() const {
    UsageReporterSettings settings;
    settings.endpointHost = "127.0.0.1:" + std::to_string(server_->port());
    settings.clientIdFilePath = platform::AnsiToWide(clientIdFile_.string());
    return settings;
  }

  std::vector<Posted> PostedSoFar() {
    std::lock_guard<std::mutex> lock(mutex_);
    return posted_;
  }

  TempDir folder_;
  const std::string clientId_ = platform::NewUuidText();
  const std::filesystem::path clientIdFile_ = folder_.path() / "orvex_RhinoCid.txt";
  std::chrono::milliseconds delay_{0};
  int status_ = 200;
  std::mutex mutex_;
  std::vector<Posted> posted_;
  std::unique_ptr<RunningServer> server_;
};

TEST_F(UsageReporterServerTest, ExactBodyOfSyncStart) {
  const UsageReporter reporter(Settings());
  EXPECT_EQ(clientId_, reporter.clientId());
  reporter.SendEvent("sync", "start");
  const std::vector<Posted> posted = PostedSoFar();
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ("POST", posted[0].method);
  EXPECT_EQ("/collect", posted[0].path);
  EXPECT_EQ("application/x-www-form-urlencoded", posted[0].contentType);
  EXPECT_EQ("v=1&tid=UA-123456789-01&cid=" + clientId_ + "&t=event&ec=sync&ea=start",
            posted[0].body);
}

TEST_F(UsageReporterServerTest, TheTenCommandEventsInOrder) {
  const UsageReporter reporter(Settings());
  for (const auto& [category, action] : kCommandEvents) reporter.SendEvent(category, action);
  const std::vector<Posted> posted = PostedSoFar();
  ASSERT_EQ(kCommandEvents.size(), posted.size());
  for (size_t i = 0; i < posted.size(); ++i) {
    EXPECT_EQ(kPayloadStart + clientId_ + "&t=event&ec=" + kCommandEvents[i].first +
                  "&ea=" + kCommandEvents[i].second,
              posted[i].body);
  }
}

TEST_F(UsageReporterServerTest, EncodedValuesArriveIntact) {
  const UsageReporter reporter(Settings());
  reporter.SendEvent("cat=1&x", "a b&c=d%");
  const std::vector<Posted> posted = PostedSoFar();
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(kPayloadStart + clientId_ + "&t=event&ec=cat%3D1%26x&ea=a+b%26c%3Dd%25",
            posted[0].body);
  EXPECT_EQ("cat=1&x", posted[0].category);
  EXPECT_EQ("a b&c=d%", posted[0].action);
}

TEST_F(UsageReporterServerTest, SendReturnsOnlyWhenThePostHasEnded) {
  delay_ = std::chrono::milliseconds(300);
  status_ = 500;  // and the answer does not matter
  const UsageReporter reporter(Settings());
  const auto start = std::chrono::steady_clock::now();
  reporter.SendEvent("sync", "stop");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(1u, PostedSoFar().size());
}

TEST_F(UsageReporterServerTest, RefusedConnectionReturnsAtOnce) {
  services_test::RefusingPort refusing;
  UsageReporterSettings settings = Settings();
  settings.endpointHost = "127.0.0.1:" + std::to_string(refusing.port());
  const UsageReporter reporter(settings);
  const auto start = std::chrono::steady_clock::now();
  reporter.SendEvent("sync", "start");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(PostedSoFar().empty());
}

TEST_F(UsageReporterServerTest, UnansweredConnectionGivesUpAfterATenthOfASecond) {
  services_test::UnansweredPort unanswered;
  UsageReporterSettings settings = Settings();
  settings.endpointHost = "127.0.0.1:" + std::to_string(unanswered.port());
  const UsageReporter reporter(settings);
  const auto start = std::chrono::steady_clock::now();
  reporter.SendEvent("sync", "start");
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(95));
  EXPECT_LT(elapsed, std::chrono::milliseconds(800));
}

TEST_F(UsageReporterServerTest, UnusableHostsEndThePostQuietly) {
  for (const std::string host : {"", "ftp://127.0.0.1", "127.0.0.1:notaport", "[::1"}) {
    UsageReporterSettings settings = Settings();
    settings.endpointHost = host;
    const UsageReporter reporter(settings);
    reporter.SendEvent("sync", "start");
  }
  EXPECT_TRUE(PostedSoFar().empty());
}

// --- The process-wide reporter -------------------------------------------------------------

std::filesystem::path ConfigHome() { return std::getenv("XDG_CONFIG_HOME"); }

std::filesystem::path ProcessClientIdFile() {
  return ConfigHome() / "McNeel" / "Rhinoceros" / "7.0" / "Plug-ins" /
         "OrvexConv (7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53)" / "orvex_RhinoCid.txt";
}

TEST(DeploymentValues, PlaceholderHostsUnderTheInvalidDomain) {
  for (const std::string address :
       {"analytics.orvexrender.invalid", "https://update.orvexrender.invalid",
        "HTTPS://X.INVALID:443/path?q", "x.invalid.", "invalid", "a.b.invalid:80"}) {
    EXPECT_TRUE(services::NamesInvalidHost(address)) << address;
  }
  for (const std::string address :
       {"127.0.0.1:80", "https://127.0.0.1:1", "notinvalid", "myinvalid:80", "x.invalid.com",
        "[::1]:80", "", "https://host/x.invalid"}) {
    EXPECT_FALSE(services::NamesInvalidHost(address)) << address;
  }
}

TEST(DeploymentValues, EnvironmentOverridesEvenWhenEmpty) {
  unsetenv("ORVEX_TEST_VALUE");
  EXPECT_EQ("built", services::DeploymentValue("ORVEX_TEST_VALUE", "built"));
  test_support::ScopedEnv empty("ORVEX_TEST_VALUE", "");
  EXPECT_EQ("", services::DeploymentValue("ORVEX_TEST_VALUE", "built"));
}

TEST(DeploymentValues, WebsiteAddress) {
  unsetenv("ORVEX_WEBSITE_URL");
  EXPECT_EQ(platform::AnsiToWide(ORVEX_DEFAULT_WEBSITE_URL), services::WebsiteUrlFromEnvironment());
  test_support::ScopedEnv website("ORVEX_WEBSITE_URL", "https://127.0.0.1/forum");
  EXPECT_EQ(L"https://127.0.0.1/forum", services::WebsiteUrlFromEnvironment());
}

TEST(UsageReporterEnvironment, SettingsFromTheEnvironment) {
  unsetenv("ORVEX_ANALYTICS_HOST");
  UsageReporterSettings settings = UsageReporter::SettingsFromEnvironment();
  EXPECT_EQ(ORVEX_DEFAULT_ANALYTICS_HOST, settings.endpointHost);
  EXPECT_EQ(100000, settings.connectionTimeoutMicroseconds);
  EXPECT_EQ(7, RhinoApp().ExeVersion());
  EXPECT_EQ(platform::AnsiToWide(ProcessClientIdFile().string()), settings.clientIdFilePath);
  test_support::ScopedEnv host("ORVEX_ANALYTICS_HOST", "127.0.0.1:8080");
  EXPECT_EQ("127.0.0.1:8080", UsageReporter::SettingsFromEnvironment().endpointHost);
}

TEST_F(UsageReporterServerTest, ReportUsageThroughTheProcessWideReporter) {
  test_support::ScopedEnv host("ORVEX_ANALYTICS_HOST",
                               "127.0.0.1:" + std::to_string(server_->port()));
  services::ReportUsage("sync", "logo");
  services::ReportUsage("sync", "viewOn");
  const std::string stored = ReadFile(ProcessClientIdFile());
  ASSERT_TRUE(IsUuidText(stored)) << stored;
  EXPECT_EQ(stored, UsageReporter::Instance().clientId());
  EXPECT_EQ(&UsageReporter::Instance(), &UsageReporter::Instance());
  const std::vector<Posted> posted = PostedSoFar();
  ASSERT_EQ(2u, posted.size());
  EXPECT_EQ(kPayloadStart + stored + "&t=event&ec=sync&ea=logo", posted[0].body);
  EXPECT_EQ(kPayloadStart + stored + "&t=event&ec=sync&ea=viewOn", posted[1].body);
}

}  // namespace
