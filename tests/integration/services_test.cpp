// The update check and the usage events of a real host run, against an HTTPS
// update service and an analytics collector on 127.0.0.1.
#include <gtest/gtest.h>

#include <mutex>

#include "host_sandbox.h"
#include "tests/services/test_support.h"

namespace {

class LiveServicesTest : public ::testing::Test {
 protected:
  LiveServicesTest()
      : authority_(services_test::MakeAuthority("Orvex test authority")),
        credentials_(services_test::MakeServerCredentials(authority_, "IP:127.0.0.1")) {
    caFile_ = sandbox_.Root() / "authority.pem";
    services_test::WritePem(authority_, caFile_);
    auto update =
        std::make_unique<httplib::SSLServer>(credentials_.cert.get(), credentials_.key.get());
    update->Get("/api/plugins/check-version",
                [](const httplib::Request& request, httplib::Response& response) {
                  if (request.get_param_value("pluginType") == "6")
                    response.set_content(R"({"version": "1.0.0", "notes": "faster sends"})",
                                         "application/json");
                  else
                    response.status = 400;
                });
    update_ = std::make_unique<services_test::RunningServer>(std::move(update));
    auto analytics = std::make_unique<httplib::Server>();
    analytics->Post("/collect", [this](const httplib::Request& request, httplib::Response&) {
      std::lock_guard<std::mutex> lock(mutex_);
      bodies_.push_back(request.body);
    });
    analytics_ = std::make_unique<services_test::RunningServer>(std::move(analytics));
    sandbox_.RememberRenderer();
  }

  std::map<std::string, std::string> Environment() const {
    return {{"ORVEX_UPDATE_URL", "https://127.0.0.1:" + std::to_string(update_->port())},
            {"ORVEX_UPDATE_CA_FILE", caFile_.string()},
            {"ORVEX_DOWNLOAD_URL", "https://downloads.example.test/OrvexConv-1.0.0.zip"},
            {"ORVEX_ANALYTICS_HOST", "127.0.0.1:" + std::to_string(analytics_->port())}};
  }

  std::vector<std::string> Bodies() {
    std::lock_guard<std::mutex> lock(mutex_);
    return bodies_;
  }

  HostSandbox sandbox_;
  services_test::Credentials authority_;
  services_test::Credentials credentials_;
  std::filesystem::path caFile_;
  std::unique_ptr<services_test::RunningServer> update_;
  std::unique_ptr<services_test::RunningServer> analytics_;
  std::mutex mutex_;
  std::vector<std::string> bodies_;
};

}  // namespace

TEST_F(LiveServicesTest, StartPromptsForTheNewVersionBeforeTheBannerAndReportsThreeEvents) {
  const HostRun run = sandbox_.RunDocument(
      SavedDocument(), {"--answer", "cancel", "OrvexConverterStart"}, Environment());
  ASSERT_EQ(run.exitCode, 0);
  // The prompt comes first, before the banner, and Cancel opens nothing.
  ASSERT_GE(run.transcript.size(), 3u);
  EXPECT_EQ(run.transcript[0]["kind"], "command");
  const nlohmann::json& prompt = run.transcript[1];
  EXPECT_EQ(prompt["kind"], "message_box");
  EXPECT_EQ(prompt["text"],
            " Orvex Converter has a new version! \n\n Please click OK to download.");
  EXPECT_EQ(prompt["caption"], "Orvex Converter");
  EXPECT_EQ(prompt["flags"], 65);
  EXPECT_EQ(run.transcript[2]["kind"], "print");
  EXPECT_TRUE(run.Events("shell_open").empty());

  const std::vector<std::string> bodies = Bodies();
  ASSERT_EQ(bodies.size(), 3u);
  const std::string prefix = "v=1&tid=UA-123456789-01&cid=";
  std::string clientId;
  for (const std::string& body : bodies) {
    ASSERT_EQ(body.rfind(prefix, 0), 0u) << body;
    const std::string id = body.substr(prefix.size(), 36);
    if (clientId.empty()) clientId = id;
    EXPECT_EQ(id, clientId);  // one client id for the whole run
  }
  EXPECT_EQ(bodies[0], prefix + clientId + "&t=event&ec=sync&ea=start");
  EXPECT_EQ(bodies[1], prefix + clientId + "&t=event&ec=DCC_Version&ea=7.37.24107.15001");
  EXPECT_EQ(bodies[2], prefix + clientId + "&t=event&ec=Converter_Version&ea=0.9.0");
}

TEST_F(LiveServicesTest, OkOpensTheDownloadAndTheClientIdIsKeptAcrossRuns) {
  const auto doc = sandbox_.WriteDocument(SavedDocument());
  const HostRun first = sandbox_.Run(
      {"--doc", doc.string(), "--answer", "ok", "OrvexConverterWebsite"}, Environment());
  const auto opens = first.Events("shell_open");
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0]["file"], "explorer.exe");
  EXPECT_EQ(opens[0]["params"], "https://downloads.example.test/OrvexConv-1.0.0.zip");
  const HostRun second = sandbox_.Run(
      {"--doc", doc.string(), "--answer", "cancel", "OrvexConverterWebsite"}, Environment());
  const std::vector<std::string> bodies = Bodies();
  ASSERT_EQ(bodies.size(), 2u);
  EXPECT_EQ(bodies[0], bodies[1]);
  EXPECT_NE(bodies[0].find("&t=event&ec=sync&ea=logo"), std::string::npos);
}
