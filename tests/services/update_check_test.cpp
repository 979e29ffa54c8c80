#include "services/update_check.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "test_support.h"
#include "tests/support/recording_host.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using services::ReplyOffersNewVersion;
using services::UpdateReply;
using services_test::Credentials;
using services_test::RunningServer;
using test_support::RecordingHost;
using test_support::ScopedEnv;

const std::wstring kEnglishPrompt =
    L" Orvex Converter has a new version! \n\n Please click OK to download.";
const std::wstring kChinesePrompt = L" 有新的Orvex转换器版本可用！ \n\n 请点击OK前往下载";
const std::wstring kCaption = L"Orvex Converter";
constexpr unsigned kPromptFlags = 65;

std::string VersionReply(const std::string& version) { return "{\"version\":\"" + version + "\"}"; }

// --- The decision, without a server ----------------------------------------------------

TEST(UpdateCheckDecision, OurOwnVersionAsksNothing) {
  EXPECT_FALSE(ReplyOffersNewVersion({200, VersionReply("0.9.0")}));
  EXPECT_FALSE(ReplyOffersNewVersion({200, "{'version':'0.9.0', 'notes':[1,2], 'x':{}}"}));
  EXPECT_FALSE(ReplyOffersNewVersion({200, "{\"version\":\"0.9.0\",\"broken\":"}));
}

TEST(UpdateCheckDecision, AnyOtherVersionTextPrompts) {
  for (const std::string version :
       {"0.8.9", "1.0.0", "v0.9.0", "0.9.0 ", " 0.9.0", "0.9", "0.9.0.0", "0.9.1", ""}) {
    EXPECT_TRUE(ReplyOffersNewVersion({200, VersionReply(version)})) << '"' << version << '"';
  }
  // Six bytes, the last a NUL: not our five.
  EXPECT_TRUE(ReplyOffersNewVersion({200, "{\"version\":\"0.9.0\\u0000\"}"}));
  EXPECT_EQ(std::string("0.9.0\0", 6),
            services::VersionInReplyBody("{\"version\":\"0.9.0\\u0000\"}").value());
}

TEST(UpdateCheckDecision, NoStringVersionAsksNothing) {
  for (const std::string body :
       {"{\"version\":1.0}", "{\"version\":null}", "{\"version\":[\"1.0.0\"]}",
        "{\"Version\":\"1.0.0\"}", "{}", "", "not json", "[{\"version\":\"1.0.0\"}]",
        "{\"other\":1 \"version\":\"1.0.0\"}", "{\"version\":\"1.0.0"}) {
    EXPECT_FALSE(ReplyOffersNewVersion({200, body})) << body;
  }
}

TEST(UpdateCheckDecision, OnlyStatus200Counts) {
  for (const int status : {0, 201, 204, 301, 404, 500}) {
    EXPECT_FALSE(ReplyOffersNewVersion({status, VersionReply("1.0.0")})) << status;
  }
}

TEST(UpdateCheckDecision, ReplyBrokenAfterACompleteMemberPrompts) {
  EXPECT_TRUE(ReplyOffersNewVersion({200, "{\"version\":\"1.0.0\","}));
  EXPECT_TRUE(ReplyOffersNewVersion({200, "{\"version\":\"1.0.0\" \"next\":2}"}));
  EXPECT_EQ("1.0.0", services::VersionInReplyBody("{\"version\":\"1.0.0\",").value());
}

// --- Against a real HTTPS server on 127.0.0.1 -----------------------------------------

struct SeenRequest {
  std::string method;
  std::string path;
  std::vector<std::pair<std::string, std::string>> params;
  std::string body;
};

class UpdateCheckServerTest : public ::testing::Test {
 protected:
  UpdateCheckServerTest()
      : authority_(services_test::MakeAuthority("Orvex test authority")),
        serverCredentials_(services_test::MakeServerCredentials(authority_, "IP:127.0.0.1")),
        caFile_(folder_.path() / "authority.pem") {
    services_test::WritePem(authority_, caFile_);
  }

  // Starts an HTTPS server with the given credentials, answering the check
  // with the current status and body.
  void StartServer(const Credentials& credentials) {
    auto server =
        std::make_unique<httplib::SSLServer>(credentials.cert.get(), credentials.key.get());
    server->Get("/api/plugins/check-version",
                [this](const httplib::Request& request, httplib::Response& response) {
                  std::lock_guard<std::mutex> lock(mutex_);
                  SeenRequest seen{request.method, request.path, {}, request.body};
                  for (const auto& param : request.params) seen.params.push_back(param);
                  requests_.push_back(seen);
                  response.status = status_;
                  response.set_content(body_, "application/json");
                });
    server_ = std::make_unique<RunningServer>(std::move(server));
  }

  void Answer(int status, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = status;
    body_ = body;
  }

  size_t RequestCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
  }

  services::UpdateCheckSettings Settings() const {
    services::UpdateCheckSettings settings;
    settings.serviceBase = "https://127.0.0.1:" + std::to_string(server_->port());
    settings.caFile = caFile_.string();
    settings.downloadUrl = L"https://127.0.0.1/download/OrvexConv-latest.zip";
    return settings;
  }

  // Runs the check against the server answering the version: the English
  // prompt is shown once and, answered OK, opens the download.
  void ExpectPrompted(const std::string& version) {
    RecordingHost host;
    Answer(200, VersionReply(version));
    services::RunUpdateCheck(Settings());
    ASSERT_EQ(1u, host.Boxes().size()) << '"' << version << '"';
    EXPECT_EQ(kEnglishPrompt, host.Boxes()[0].text);
    EXPECT_EQ(kCaption, host.Boxes()[0].caption);
    EXPECT_EQ(kPromptFlags, host.Boxes()[0].flags);
    ASSERT_EQ(1u, host.ShellOpens().size());
    EXPECT_EQ(L"open", host.ShellOpens()[0].verb);
    EXPECT_EQ(L"explorer.exe", host.ShellOpens()[0].file);
    EXPECT_EQ(Settings().downloadUrl, host.ShellOpens()[0].params);
  }

  void ExpectNothing(const services::UpdateCheckSettings& settings) {
    RecordingHost host;
    services::RunUpdateCheck(settings);
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_TRUE(host.ShellOpens().empty());
  }

  test_support::TempDir folder_;
  Credentials authority_;
  Credentials serverCredentials_;
  std::filesystem::path caFile_;
  std::unique_ptr<RunningServer> server_;
  std::mutex mutex_;
  int status_ = 200;
  std::string body_;
  std::vector<SeenRequest> requests_;
};

TEST_F(UpdateCheckServerTest, SameVersionGivesNoPrompt) {
  StartServer(serverCredentials_);
  Answer(200, VersionReply("0.9.0"));
  ExpectNothing(Settings());
  // The request did arrive, as one plain GET of the fixed path and query.
  std::lock_guard<std::mutex> lock(mutex_);
  ASSERT_EQ(1u, requests_.size());
  EXPECT_EQ("GET", requests_[0].method);
  EXPECT_EQ("/api/plugins/check-version", requests_[0].path);
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"pluginType", "6"}}),
            requests_[0].params);
  EXPECT_EQ("", requests_[0].body);
}

TEST_F(UpdateCheckServerTest, OtherVersionsPromptAndOkOpensTheDownload) {
  StartServer(serverCredentials_);
  for (const std::string version : {"0.8.9", "1.0.0", "v0.9.0", "0.9.0 "}) ExpectPrompted(version);
  EXPECT_EQ(4u, RequestCount());
}

TEST_F(UpdateCheckServerTest, PromptIsChineseForLanguage2052) {
  StartServer(serverCredentials_);
  Answer(200, VersionReply("1.0.0"));
  RecordingHost host;
  host.languageId = 2052;
  services::RunUpdateCheck(Settings());
  ASSERT_EQ(1u, host.Boxes().size());
  EXPECT_EQ(kChinesePrompt, host.Boxes()[0].text);
  EXPECT_EQ(kCaption, host.Boxes()[0].caption);
  EXPECT_EQ(kPromptFlags, host.Boxes()[0].flags);
  EXPECT_EQ(1u, host.ShellOpens().size());
}

TEST_F(UpdateCheckServerTest, AnyAnswerButOkOpensNothing) {
  StartServer(serverCredentials_);
  Answer(200, VersionReply("1.0.0"));
  for (const int answer : {2, 0, 7}) {
    RecordingHost host;
    host.answer = answer;
    services::RunUpdateCheck(Settings());
    EXPECT_EQ(1u, host.Boxes().size()) << answer;
    EXPECT_TRUE(host.ShellOpens().empty()) << answer;
  }
}

TEST_F(UpdateCheckServerTest, NumericVersionAndErrorStatusesGiveNothing) {
  StartServer(serverCredentials_);
  Answer(200, "{\"version\":1.0}");
  ExpectNothing(Settings());
  Answer(404, VersionReply("1.0.0"));
  ExpectNothing(Settings());
  Answer(500, VersionReply("1.0.0"));
  ExpectNothing(Settings());
  Answer(200, "");
  ExpectNothing(Settings());
  EXPECT_EQ(4u, RequestCount());
}

TEST_F(UpdateCheckServerTest, ReplyBrokenAfterACompleteMemberPrompts) {
  StartServer(serverCredentials_);
  RecordingHost host;
  Answer(200, "{\"version\":\"1.0.0\",");
  services::RunUpdateCheck(Settings());
  ASSERT_EQ(1u, host.Boxes().size());
  EXPECT_EQ(kEnglishPrompt, host.Boxes()[0].text);
  EXPECT_EQ(1u, host.ShellOpens().size());
}

TEST_F(UpdateCheckServerTest, UntrustedServersGiveNothing) {
  // Issued by an authority that the CA file does not hold.
  const Credentials stranger = services_test::MakeAuthority("Someone else");
  StartServer(services_test::MakeServerCredentials(stranger, "IP:127.0.0.1"));
  Answer(200, VersionReply("1.0.0"));
  ExpectNothing(Settings());
  EXPECT_EQ(0u, RequestCount());
}

TEST_F(UpdateCheckServerTest, CertificateForAnotherNameGivesNothing) {
  StartServer(services_test::MakeServerCredentials(authority_, "DNS:update.orvexrender.invalid"));
  Answer(200, VersionReply("1.0.0"));
  ExpectNothing(Settings());
  EXPECT_EQ(0u, RequestCount());
}

TEST_F(UpdateCheckServerTest, WithoutCaFileTheSystemStoreDecides) {
  StartServer(serverCredentials_);
  Answer(200, VersionReply("1.0.0"));
  services::UpdateCheckSettings settings = Settings();
  settings.caFile.clear();
  ExpectNothing(settings);
  settings.caFile = (folder_.path() / "missing.pem").string();
  ExpectNothing(settings);
  EXPECT_EQ(0u, RequestCount());
}

TEST_F(UpdateCheckServerTest, OnlyHttpsIsAsked) {
  auto plain = std::make_unique<httplib::Server>();
  std::atomic<int> plainRequests{0};
  plain->Get("/api/plugins/check-version",
             [&plainRequests](const httplib::Request&, httplib::Response& response) {
               ++plainRequests;
               response.set_content(VersionReply("1.0.0"), "application/json");
             });
  RunningServer plainServer(std::move(plain));
  services::UpdateCheckSettings settings;
  settings.serviceBase = "http://127.0.0.1:" + std::to_string(plainServer.port());
  settings.downloadUrl = L"https://127.0.0.1/download";
  ExpectNothing(settings);
  settings.serviceBase = "127.0.0.1:" + std::to_string(plainServer.port());
  ExpectNothing(settings);
  settings.serviceBase = "ftp://127.0.0.1";
  ExpectNothing(settings);
  settings.serviceBase = "";
  ExpectNothing(settings);
  settings.serviceBase = "https://update.orvexrender.invalid";
  ExpectNothing(settings);
  EXPECT_EQ(0, plainRequests.load());
}

TEST_F(UpdateCheckServerTest, RefusedConnectionGivesNothingAtOnce) {
  services_test::RefusingPort refusing;
  services::UpdateCheckSettings settings;
  settings.serviceBase = "https://127.0.0.1:" + std::to_string(refusing.port());
  settings.caFile = caFile_.string();
  const auto start = std::chrono::steady_clock::now();
  ExpectNothing(settings);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(UpdateCheckServerTest, UnansweredConnectionGivesUpAfterThreeSeconds) {
  services_test::UnansweredPort unanswered;
  services::UpdateCheckSettings settings;
  settings.serviceBase = "https://127.0.0.1:" + std::to_string(unanswered.port());
  settings.caFile = caFile_.string();
  const auto start = std::chrono::steady_clock::now();
  ExpectNothing(settings);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(2900));
  EXPECT_LT(elapsed, std::chrono::milliseconds(4500));
}

// --- The 64 KiB read limit ---------------------------------------------------------------

std::string Padding(size_t bytes) { return std::string(bytes, 'p'); }

TEST_F(UpdateCheckServerTest, AtMost64KiBOfReplyIsRead) {
  StartServer(serverCredentials_);
  const std::string big = "{\"version\":\"1.0.0\",\"pad\":\"" + Padding(1 << 20) + "\"}";
  Answer(200, big);
  std::optional<UpdateReply> reply = services::FetchUpdateReply(Settings());
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(200, reply->status);
  EXPECT_EQ(big.substr(0, 65536), reply->body);
  // One byte more than the limit is cut; the limit itself is read whole.
  const std::string exact = "{\"v\":\"" + Padding(65536 - 8) + "\"}";
  ASSERT_EQ(65536u, exact.size());
  Answer(200, exact + " ");
  EXPECT_EQ(exact, services::FetchUpdateReply(Settings()).value().body);
  Answer(200, exact);
  EXPECT_EQ(exact, services::FetchUpdateReply(Settings()).value().body);
}

TEST_F(UpdateCheckServerTest, ChunkedReplyIsCutAt64KiBToo) {
  auto server = std::make_unique<httplib::SSLServer>(serverCredentials_.cert.get(),
                                                     serverCredentials_.key.get());
  // Shared with the server's thread, which may still be sending when the test
  // body has returned (the fixture stops the server after it).
  auto sent = std::make_shared<std::atomic<size_t>>(0);
  server->Get(
      "/api/plugins/check-version", [sent](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "application/json", [sent](size_t offset, httplib::DataSink& sink) {
              // An endless reply: a version, then padding until the client stops reading.
              const std::string chunk =
                  offset == 0 ? std::string("{\"version\":\"2.0.0\",\"pad\":\"") : Padding(4096);
              *sent += chunk.size();
              if (*sent > (64u << 20)) {
                sink.done();
                return true;
              }
              return sink.write(chunk.data(), chunk.size());
            });
      });
  server_ = std::make_unique<RunningServer>(std::move(server));
  std::optional<UpdateReply> reply = services::FetchUpdateReply(Settings());
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(65536u, reply->body.size());
  EXPECT_EQ("{\"version\":\"2.0.0\",\"pad\":\"ppp", reply->body.substr(0, 29));
  ExpectPrompted("2.0.0");
}

TEST_F(UpdateCheckServerTest, VersionBeyond64KiBIsNeverSeen) {
  StartServer(serverCredentials_);
  Answer(200, "{\"pad\":\"" + Padding(70000) + "\",\"version\":\"1.0.0\"}");
  ExpectNothing(Settings());
  Answer(200, "{\"version\":\"1.0.0\",\"pad\":\"" + Padding(70000) + "\"}");
  RecordingHost host;
  services::RunUpdateCheck(Settings());
  EXPECT_EQ(1u, host.Boxes().size());
}

// --- Deployment values -----------------------------------------------------------------

TEST(UpdateCheckEnvironment, BuildValuesUnlessTheEnvironmentSaysOtherwise) {
  unsetenv("ORVEX_UPDATE_URL");
  unsetenv("ORVEX_UPDATE_CA_FILE");
  unsetenv("ORVEX_DOWNLOAD_URL");
  services::UpdateCheckSettings settings = services::UpdateCheckSettingsFromEnvironment();
  EXPECT_EQ(ORVEX_DEFAULT_UPDATE_URL, settings.serviceBase);
  EXPECT_EQ(ORVEX_DEFAULT_UPDATE_CA_FILE, settings.caFile);
  EXPECT_EQ(platform::AnsiToWide(ORVEX_DEFAULT_DOWNLOAD_URL), settings.downloadUrl);

  ScopedEnv url("ORVEX_UPDATE_URL", "https://127.0.0.1:8443");
  ScopedEnv ca("ORVEX_UPDATE_CA_FILE", "/tmp/ca.pem");
  ScopedEnv download("ORVEX_DOWNLOAD_URL", "https://127.0.0.1/dl/\xC3\xA9.zip");
  settings = services::UpdateCheckSettingsFromEnvironment();
  EXPECT_EQ("https://127.0.0.1:8443", settings.serviceBase);
  EXPECT_EQ("/tmp/ca.pem", settings.caFile);
  EXPECT_EQ(L"https://127.0.0.1/dl/\u00e9.zip", settings.downloadUrl);
}

TEST_F(UpdateCheckServerTest, WholeCheckFromTheEnvironment) {
  StartServer(serverCredentials_);
  Answer(200, VersionReply("1.2.0"));
  ScopedEnv url("ORVEX_UPDATE_URL", "https://127.0.0.1:" + std::to_string(server_->port()));
  ScopedEnv ca("ORVEX_UPDATE_CA_FILE", caFile_.string());
  ScopedEnv download("ORVEX_DOWNLOAD_URL", "https://127.0.0.1/latest.zip");
  RecordingHost host;
  services::RunUpdateCheck(services::UpdateCheckSettingsFromEnvironment());
  ASSERT_EQ(1u, host.Boxes().size());
  ASSERT_EQ(1u, host.ShellOpens().size());
  EXPECT_EQ(L"https://127.0.0.1/latest.zip", host.ShellOpens()[0].params);
}

}  // namespace
