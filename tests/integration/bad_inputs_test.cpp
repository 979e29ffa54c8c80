// The catalogue of bad inputs: a broken installation, a broken file, a server
// that misbehaves, a hostile document. Each runs the real host and plug-in and
// states what the user sees instead of a crash or a hang: the exit status, the
// console lines and message boxes, and a call log whose meshes never index past
// their positions and whose records always parse as XML.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/x509.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <regex>
#include <set>

#include "command_names.h"
#include "host_sandbox.h"
#include "message_texts.h"
#include "tests/services/test_support.h"
#include "tests/support/file_io.h"

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::ElementsAre;

namespace {

const char* kNewVersionPrompt =
    " Orvex Converter has a new version! \n\n Please click OK to download.";

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

double Seconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

// The one element of an XML text, or a failure that says why there is none.
::testing::AssertionResult OneElement(const std::string& text, const char* name,
                                      pugi::xml_document& xml) {
  const pugi::xml_parse_result parsed = xml.load_buffer(
      text.data(), text.size(), pugi::parse_escapes | pugi::parse_ws_pcdata, pugi::encoding_utf8);
  if (!parsed)
    return ::testing::AssertionFailure() << parsed.description() << " at offset " << parsed.offset
                                         << " of " << text.substr(0, 300);
  int elements = 0;
  for (pugi::xml_node node = xml.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element)
      return ::testing::AssertionFailure() << "text outside the element";
    ++elements;
  }
  if (elements != 1) return ::testing::AssertionFailure() << elements << " top elements";
  if (std::string(xml.first_child().name()) != name)
    return ::testing::AssertionFailure() << "top element " << xml.first_child().name();
  return ::testing::AssertionSuccess();
}

// What the renderer must never receive, whatever the document: an index past
// the positions, buffers whose sizes disagree, an instance of a mesh never
// added, a record or light description that is not one XML element, a camera
// that is not nine numbers.
void ExpectSoundCallLog(const HostRun& run) {
  std::set<std::pair<int, std::string>> meshes;
  for (const json& call : run.calls) {
    SCOPED_TRACE("call " + call["fn"].get<std::string>() + " seq " + call["seq"].dump());
    const std::string fn = call["fn"];
    if (fn == "AddMesh") {
      const size_t positions = call["positions"].size();
      EXPECT_EQ(positions % 3, 0u);
      EXPECT_EQ(call["normals"].size(), positions);
      EXPECT_EQ(call["uvs"].size(), positions / 3 * 2);
      EXPECT_EQ(call["indices"].size() % 3, 0u);
      for (const json& index : call["indices"]) {
        ASSERT_TRUE(index.is_number_integer()) << index;
        EXPECT_GE(index.get<long long>(), 0);
        EXPECT_LT(index.get<long long>(), static_cast<long long>(positions / 3));
      }
      meshes.insert({call["model"].get<int>(), call["name"].get<std::string>()});
    } else if (fn == "AddInstance") {
      EXPECT_EQ(call["transform"].size(), 16u);
      EXPECT_EQ(meshes.count({call["model"].get<int>(), call["mesh"].get<std::string>()}), 1u)
          << "an instance of a mesh never added";
    } else if (fn == "AddMaterial") {
      pugi::xml_document xml;
      EXPECT_TRUE(OneElement(call["record"], "Material", xml));
    } else if (fn == "SendLightsDataXml") {
      const std::string text = call["xml"];
      pugi::xml_document xml;
      if (!text.empty()) {
        EXPECT_TRUE(OneElement(text, "Root", xml));
      }
    } else if (fn == "AddScene" || fn == "SetCameraTransformFov") {
      EXPECT_EQ(call["camera"].size(), 9u);
      EXPECT_TRUE(call["fov"].is_number() || call["fov"].is_string());
    }
  }
}

// --- Servers that misbehave ---------------------------------------------------------------

// Accepts connections on 127.0.0.1 and reads what arrives, but never answers.
class SilentListener {
 public:
  SilentListener() {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 8) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~SilentListener() {
    m_stop = true;
    m_thread.join();
    for (const services_test::SocketHandle fd : m_accepted) services_test::CloseSocket(fd);
    services_test::CloseSocket(m_listener);
  }
  int port() const { return m_port; }
  int Accepted() const { return m_acceptedCount; }
  std::string Received() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
  }

 private:
  void Serve() {
    while (!m_stop) {
      std::vector<pollfd> fds = {{m_listener, POLLIN, 0}};
      for (const services_test::SocketHandle fd : m_accepted) fds.push_back({fd, POLLIN, 0});
      if (services_test::PollSockets(fds.data(), fds.size(), 20) <= 0) continue;
      if (fds[0].revents & POLLIN) {
        const services_test::SocketHandle fd = accept(m_listener, nullptr, nullptr);
        if (fd != static_cast<services_test::SocketHandle>(-1)) {
          m_accepted.push_back(fd);
          ++m_acceptedCount;
        }
      }
      for (size_t i = 1; i < fds.size(); ++i) {
        if (!(fds[i].revents & POLLIN)) continue;
        char buffer[4096];
        const auto got = recv(fds[i].fd, buffer, sizeof buffer, 0);
        if (got > 0) {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_received.append(buffer, static_cast<size_t>(got));
        }
      }
    }
  }

  services_test::SocketHandle m_listener;
  int m_port = -1;
  std::vector<services_test::SocketHandle> m_accepted;
  std::atomic<int> m_acceptedCount{0};
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::string m_received;
  std::thread m_thread;
};

// Moves a certificate's validity into the past and signs it again with its issuer's key.
void Expire(services_test::Credentials& credentials, const services_test::Credentials& issuer) {
  X509_gmtime_adj(X509_getm_notBefore(credentials.cert.get()), -3 * 24 * 3600);
  X509_gmtime_adj(X509_getm_notAfter(credentials.cert.get()), -1 * 24 * 3600);
  ASSERT_GT(X509_sign(credentials.cert.get(), issuer.key.get(), EVP_sha256()), 0);
}

}  // namespace

// --- The bridge library ---------------------------------------------------------------------

TEST(BadBridgeTest, TextFileNamedAsTheLibraryShowsTheLoadMessageAndNothingLinks) {
  HostSandbox sandbox("none");
  sandbox.RememberRenderer();
  std::ofstream(sandbox.PlugInFolder() / kBridgeFileName) << "This is not a library.\n";
  const HostRun run =
      sandbox.RunDocument(SavedDocument(), {kStart, kSendLights, kSendModel, kStop});
  EXPECT_EQ(run.exitCode, 0);
  // Three handles at context creation, and Start tries its own once more.
  EXPECT_THAT(run.BoxTexts(), ElementsAre(kLoadMessage, kLoadMessage, kLoadMessage, kLoadMessage));
  EXPECT_EQ(Count(run.out, "OrvexConverter: Not Connected!\n"), 3);
  EXPECT_EQ(run.out.find("Success"), std::string::npos);
  EXPECT_TRUE(run.calls.empty());
}

TEST(BadBridgeTest, LibraryWithoutAnyExportFailsTheStartWithTwoMessages) {
  HostSandbox sandbox("no_exports");
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(
      SavedDocument(),
      {kStart, kSendModel, kSendLights, kSendScenes, kViewSyncOn, kViewSyncOff, kStop, kWebsite});
  EXPECT_EQ(run.exitCode, 0);
  // The stored folder goes untold in silence; the start-link lookup fails (code 7).
  EXPECT_THAT(run.BoxTexts(),
              ElementsAre("Get dll func error", "Unknown issue, please contact the developer"));
  EXPECT_EQ(Count(run.out, "OrvexConverter: Not Connected!\n"), 6);
  EXPECT_EQ(run.out.find("Success"), std::string::npos);
  EXPECT_EQ(run.Events("shell_open").size(), 1u);
  EXPECT_TRUE(run.calls.empty());
}

// Every result code from -1 to 9, from StartLinkOrvexRender and from Connect.
struct BridgeCodeCase {
  const char* variable;
  int code;
};

class BridgeCodeTest : public ::testing::TestWithParam<BridgeCodeCase> {};

TEST_P(BridgeCodeTest, CodeGivesItsMessageAndOnlyZeroLinks) {
  static const std::map<int, std::string> kMessages = {
      {1, kCodeOneMessage},
      {2, "The Orvex Render is not opening"},
      {3, "Please install the latest version of Orvex Render"},
      {4, "Please retry after exit rendering mode or finish the rendering within Orvex Render"},
      {5, "Please retry after Orvex Render finish update"},
      {6, "Cancelled by the user."},
      {7, "Unknown issue, please contact the developer"},
      {8, "Network error, please check the status of network connection"}};
  const BridgeCodeCase c = GetParam();
  const bool fromConnect = std::string(c.variable) == "ORVEX_BRIDGE_CONNECT_CODE";
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(SavedDocument(), {"--answer", "cancel", kStart, kStop},
                                          {{c.variable, std::to_string(c.code)}});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.Events("folder_browser").empty());
  EXPECT_EQ(run.Calls("Connect").size(), fromConnect || c.code == 0 ? 1u : 0u);
  if (c.code == 0) {
    EXPECT_TRUE(run.Events("message_box").empty());
    EXPECT_EQ(run.out.find("Not Connected!"), std::string::npos);
    EXPECT_EQ(run.Calls("CreateModel").size(), 1u);
    EXPECT_EQ(run.Calls("DestroyModel").size(), 1u);
    return;
  }
  const auto found = kMessages.find(c.code);
  if (found == kMessages.end()) {
    EXPECT_TRUE(run.Events("message_box").empty());
  } else {
    const auto boxes = run.Events("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], found->second);
    EXPECT_EQ(boxes[0]["caption"], "error");
    EXPECT_EQ(boxes[0]["flags"], c.code == 1 ? 1 : 0);
  }
  EXPECT_EQ(run.out.find("Success"), std::string::npos);
  EXPECT_NE(run.out.find("OrvexConverter: Not Connected!\n"), std::string::npos);
  EXPECT_TRUE(run.Calls("CreateModel").empty());
  EXPECT_EQ(run.Calls("SetModelFilePath").size(), fromConnect ? 1u : 0u);
}

std::vector<BridgeCodeCase> AllBridgeCodes() {
  std::vector<BridgeCodeCase> cases;
  for (const char* variable : {"ORVEX_BRIDGE_START_CODE", "ORVEX_BRIDGE_CONNECT_CODE"})
    for (int code = -1; code <= 9; ++code) cases.push_back({variable, code});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Codes, BridgeCodeTest, ::testing::ValuesIn(AllBridgeCodes()),
                         [](const ::testing::TestParamInfo<BridgeCodeCase>& info) {
                           const std::string from =
                               std::string(info.param.variable).find("START") != std::string::npos
                                   ? "Start"
                                   : "Connect";
                           return from + (info.param.code < 0 ? "Minus" : "") +
                                  std::to_string(std::abs(info.param.code));
                         });

// --- The renderer-folder file -----------------------------------------------------------------

struct FolderFileCase {
  const char* name;
  std::string content;
  // What each of the three loads tells the bridge; nullopt = no call.
  std::optional<std::string> told;
};

#ifdef _WIN32
const std::string kRemovedFolder = "C:\\已删除 的文件夹\\Orvex Render";
const std::string kLongerThanMaxPath = "C:\\" + std::string(260, 'a') + "\\Orvex Render";
#else
const std::string kRemovedFolder = "/已删除 的文件夹/Orvex Render";
#endif

class BadFolderFileTest : public ::testing::TestWithParam<FolderFileCase> {};

TEST_P(BadFolderFileTest, NoUsableFolderAsksForTheInstallationAndLeavesTheFileAlone) {
  const FolderFileCase c = GetParam();
  HostSandbox sandbox;
  std::ofstream(sandbox.FolderFile(), std::ios::binary) << c.content;
  const HostRun run = sandbox.RunDocument(SavedDocument(), {"--answer", "cancel", kStart, kStop});
  EXPECT_EQ(run.exitCode, 0);
  const auto told = run.Calls("SetOrvexRenderPath");
  if (c.told) {
    ASSERT_EQ(told.size(), 3u);
    for (const json& call : told) {
      EXPECT_EQ(call["path"], *c.told);
      EXPECT_EQ(call["result"], false);
    }
  } else {
    EXPECT_TRUE(told.empty());
  }
  EXPECT_THAT(run.BoxTexts(), ElementsAre(kCodeOneMessage));
  ASSERT_EQ(run.Calls("StartLinkOrvexRender").size(), 1u);
  EXPECT_EQ(run.Calls("StartLinkOrvexRender")[0]["result"], 1);
  EXPECT_EQ(run.out.find("Success"), std::string::npos);
  EXPECT_EQ(test_support::ReadFile(sandbox.FolderFile()), c.content);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFolderFileTest,
    ::testing::Values(
        FolderFileCase{"Empty", "", std::string()},
        FolderFileCase{"Binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20),
                       std::nullopt},
        FolderFileCase{"OverlongUtf8", "/opt/Orvex\xc0\xafRender", std::nullopt},
        FolderFileCase{"LoneSurrogate", "/opt/\xed\xa0\x80/Orvex", std::nullopt},
        FolderFileCase{"BeyondSixteenBits", "/opt/\xf0\x9f\x98\x80/Orvex", std::nullopt},
        FolderFileCase{"TruncatedUtf8", "/opt/Orvex \xe6\xb8", std::nullopt},
        FolderFileCase{"SingleCarriageReturn", "\r", std::string("\r")},
        FolderFileCase{"OneMegabyteLine", std::string(1 << 20, 'a'), std::string(1 << 20, 'a')},
        FolderFileCase{"RemovedFolder", kRemovedFolder, kRemovedFolder}
#ifdef _WIN32
        ,
        FolderFileCase{"LongerThanMaxPath", kLongerThanMaxPath, kLongerThanMaxPath}
#endif
        ),
    [](const ::testing::TestParamInfo<FolderFileCase>& info) { return info.param.name; });

TEST(BadFolderFileTest, OneMegabyteAfterAUsableFirstLineStillLinks) {
  HostSandbox sandbox;
  const std::string folder = sandbox.RendererFolder().string();
  std::ofstream(sandbox.FolderFile(), std::ios::binary) << folder << "\n"
                                                        << std::string(1 << 20, '\xff');
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStart, kStop});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.Events("message_box").empty());
  for (const json& call : run.Calls("SetOrvexRenderPath")) EXPECT_EQ(call["path"], folder);
  EXPECT_NE(run.out.find("OrvexConverter: Success\n"), std::string::npos);
}

// --- The analytics client id file --------------------------------------------------------------

class BadClientIdTest : public ::testing::Test {
 protected:
  BadClientIdTest() {
    auto collector = std::make_unique<httplib::Server>();
    collector->Post("/collect", [this](const httplib::Request& request, httplib::Response&) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_bodies.push_back(request.body);
    });
    m_collector = std::make_unique<services_test::RunningServer>(std::move(collector));
    ClearPlugInsFolder();
  }
  // On Windows the folder is the user's own, which the runs before and after share.
  ~BadClientIdTest() override { ClearPlugInsFolder(); }
  void ClearPlugInsFolder() const {
    std::error_code ignored;
    fs::remove_all(PlugInConfigFolder().parent_path(), ignored);
  }

  fs::path PlugInConfigFolder() const { return m_sandbox.PlugInConfigFolder(); }
  fs::path ClientIdFile() const { return PlugInConfigFolder() / "orvex_RhinoCid.txt"; }

  // Runs the website command, which reports one usage event, and returns the
  // client id that the event carried.
  std::string RunAndReadClientId(std::map<std::string, std::string> env = {}) {
    env["ORVEX_ANALYTICS_HOST"] = "127.0.0.1:" + std::to_string(m_collector->port());
    const HostRun run = m_sandbox.Run({kWebsite}, env);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Events("shell_open").size(), 1u);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bodies.empty()) return "(no event)";
    const std::string body = m_bodies.back();
    const std::string prefix = "v=1&tid=UA-123456789-01&cid=";
    const std::string suffix = "&t=event&ec=sync&ea=logo";
    EXPECT_EQ(body.rfind(prefix, 0), 0u) << body;
    EXPECT_GE(body.size(), prefix.size() + suffix.size());
    EXPECT_EQ(body.substr(body.size() - suffix.size()), suffix) << body;
    return body.substr(prefix.size(), body.size() - prefix.size() - suffix.size());
  }

  static bool IsUuidText(const std::string& text) {
    return std::regex_match(
        text, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}"));
  }

  HostSandbox m_sandbox;
  std::unique_ptr<services_test::RunningServer> m_collector;
  std::mutex m_mutex;
  std::vector<std::string> m_bodies;
};

TEST_F(BadClientIdTest, EmptyFileGetsAFreshIdWrittenBackAndKept) {
  fs::create_directories(PlugInConfigFolder());
  std::ofstream(ClientIdFile()).close();
  const std::string first = RunAndReadClientId();
  EXPECT_TRUE(IsUuidText(first)) << first;
  EXPECT_EQ(test_support::ReadFile(ClientIdFile()), first);
  EXPECT_EQ(RunAndReadClientId(), first);
}

#ifdef _WIN32
// In the folder SHGetKnownFolderPath names, not the one APPDATA says.
TEST_F(BadClientIdTest, NoFileGetsAFreshIdInTheRoamingFolderWhateverAppdataSays) {
  const std::string id = RunAndReadClientId({{"APPDATA", m_sandbox.ConfigFolder().string()}});
  EXPECT_TRUE(IsUuidText(id)) << id;
  EXPECT_EQ(test_support::ReadFile(ClientIdFile()), id);
  EXPECT_FALSE(fs::exists(m_sandbox.ConfigFolder()));
}
#endif

TEST_F(BadClientIdTest, BinaryFileTravelsFormEncodedAndIsLeftAlone) {
  fs::create_directories(PlugInConfigFolder());
  static const char kBinary[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR&x=1 \xff";
  const std::string binary(kBinary, sizeof kBinary - 1);
  std::ofstream(ClientIdFile(), std::ios::binary) << binary;
  // The last line that holds more than white space, with the white space around
  // it removed, encoded so that the event stays one well-formed form.
  EXPECT_EQ(RunAndReadClientId(), "%00%00%00%0DIHDR%26x%3D1+%FF");
  EXPECT_EQ(test_support::ReadFile(ClientIdFile()), binary);
}

TEST_F(BadClientIdTest, UnwritableFolderGivesAFreshIdEveryRun) {
  // A file where the folder must be: neither the folder nor the id file can be made.
  fs::create_directories(PlugInConfigFolder().parent_path().parent_path());
  std::ofstream(PlugInConfigFolder().parent_path()) << "in the way";
  const std::string first = RunAndReadClientId();
  const std::string second = RunAndReadClientId();
  EXPECT_TRUE(IsUuidText(first)) << first;
  EXPECT_TRUE(IsUuidText(second)) << second;
  EXPECT_NE(first, second);
  EXPECT_FALSE(fs::is_directory(PlugInConfigFolder().parent_path()));
}

TEST_F(BadClientIdTest, FolderInPlaceOfTheFileGivesAFreshIdEveryRun) {
  fs::create_directories(ClientIdFile());
  const std::string first = RunAndReadClientId();
  const std::string second = RunAndReadClientId();
  EXPECT_TRUE(IsUuidText(first)) << first;
  EXPECT_TRUE(IsUuidText(second)) << second;
  EXPECT_NE(first, second);
  EXPECT_TRUE(fs::is_directory(ClientIdFile()));
}

// --- The update service -------------------------------------------------------------------------

class BadUpdateServiceTest : public ::testing::Test {
 protected:
  BadUpdateServiceTest()
      : m_authority(services_test::MakeAuthority("Orvex test authority")),
        m_credentials(services_test::MakeServerCredentials(m_authority, "IP:127.0.0.1")) {
    m_caFile = m_sandbox.Root() / "authority.pem";
    services_test::WritePem(m_authority, m_caFile);
  }
  ~BadUpdateServiceTest() override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_release = true;
    }
    m_released.notify_all();
    m_server.reset();
  }

  // Serves the update check over TLS with the given credentials; the handler
  // counts the requests that reach it.
  void Serve(const services_test::Credentials& credentials,
             std::function<void(httplib::Response&)> answer) {
    auto server =
        std::make_unique<httplib::SSLServer>(credentials.cert.get(), credentials.key.get());
    server->Get("/api/plugins/check-version",
                [this, answer](const httplib::Request&, httplib::Response& response) {
                  ++m_requests;
                  answer(response);
                });
    m_server = std::make_unique<services_test::RunningServer>(std::move(server));
  }

  // A run of the website command with the update service in place; returns
  // the run and how long it took.
  HostRun Run(double* seconds) {
    const auto begin = std::chrono::steady_clock::now();
    HostRun run = m_sandbox.Run(
        {"--answer", "cancel", kWebsite},
        {{"ORVEX_UPDATE_URL", "https://127.0.0.1:" + std::to_string(m_server->port())},
         {"ORVEX_UPDATE_CA_FILE", m_caFile.string()}});
    *seconds = Seconds(std::chrono::steady_clock::now() - begin);
    return run;
  }

  // The load went on: the banner, then the command.
  static void ExpectLoadWentOn(const HostRun& run) {
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("OrvexConv 0.9.0 (", 0), 0u) << run.out;
    EXPECT_EQ(run.Events("shell_open").size(), 1u);
  }

  static std::vector<std::string> Prompts(const HostRun& run) {
    std::vector<std::string> prompts;
    for (const std::string& text : run.BoxTexts())
      if (text == kNewVersionPrompt) prompts.push_back(text);
    return prompts;
  }

  void Hold(httplib::Response& response) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_released.wait_for(lock, std::chrono::seconds(30), [this] { return m_release; });
    response.set_content(R"({"version": "1.0.0"})", "application/json");
  }

  HostSandbox m_sandbox;
  services_test::Credentials m_authority;
  services_test::Credentials m_credentials;
  fs::path m_caFile;
  std::unique_ptr<services_test::RunningServer> m_server;
  std::atomic<int> m_requests{0};
  std::mutex m_mutex;
  std::condition_variable m_released;
  bool m_release = false;
};

TEST_F(BadUpdateServiceTest, SlowAnswerIsGivenUpWithinTheReadTimeout) {
  Serve(m_credentials, [this](httplib::Response& response) { Hold(response); });
  double seconds = 0;
  const HostRun run = Run(&seconds);
  ExpectLoadWentOn(run);
  EXPECT_TRUE(Prompts(run).empty());
  EXPECT_EQ(m_requests, 1);
  // The five-second read timeout, and no more than a few seconds beside it.
  EXPECT_GE(seconds, 4.5);
  EXPECT_LT(seconds, 10.0);
}

TEST_F(BadUpdateServiceTest, TenMegabyteAnswerIsReadOnlyUpToItsLimit) {
  const std::string padding(10 << 20, 'x');
  Serve(m_credentials, [padding](httplib::Response& response) {
    response.set_content(R"({"notes": ")" + padding + R"(", "version": "1.0.0"})",
                         "application/json");
  });
  double seconds = 0;
  const HostRun late = Run(&seconds);
  ExpectLoadWentOn(late);
  // The version stands past the first 64 KiB: never read, so no prompt.
  EXPECT_TRUE(Prompts(late).empty());
  EXPECT_LT(seconds, 10.0);
}

TEST_F(BadUpdateServiceTest, TenMegabyteAnswerWithTheVersionFirstStillPrompts) {
  const std::string padding(10 << 20, 'x');
  Serve(m_credentials, [padding](httplib::Response& response) {
    response.set_content(R"({"version": "1.0.0", "notes": ")" + padding + R"("})",
                         "application/json");
  });
  double seconds = 0;
  const HostRun run = Run(&seconds);
  ExpectLoadWentOn(run);
  EXPECT_EQ(Prompts(run).size(), 1u);
  EXPECT_LT(seconds, 10.0);
}

TEST_F(BadUpdateServiceTest, DeepJsonEndsTheReadAtTheNestingLimit) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  Serve(m_credentials, [deep](httplib::Response& response) {
    response.set_content(R"({"notes": )" + deep + R"(, "version": "1.0.0"})", "application/json");
  });
  double seconds = 0;
  const HostRun after = Run(&seconds);
  ExpectLoadWentOn(after);
  EXPECT_TRUE(Prompts(after).empty());

  Serve(m_credentials, [deep](httplib::Response& response) {
    response.set_content(R"({"version": "1.0.0", "notes": )" + deep + "}", "application/json");
  });
  const HostRun before = Run(&seconds);
  ExpectLoadWentOn(before);
  // Members read before the failure count.
  EXPECT_EQ(Prompts(before).size(), 1u);
}

TEST_F(BadUpdateServiceTest, UntrustedCertificateIsRefusedBeforeAnyRequest) {
  const services_test::Credentials stranger = services_test::MakeAuthority("Someone else");
  const services_test::Credentials untrusted =
      services_test::MakeServerCredentials(stranger, "IP:127.0.0.1");
  Serve(untrusted, [](httplib::Response& response) {
    response.set_content(R"({"version": "1.0.0"})", "application/json");
  });
  double seconds = 0;
  const HostRun run = Run(&seconds);
  ExpectLoadWentOn(run);
  EXPECT_TRUE(Prompts(run).empty());
  EXPECT_EQ(m_requests, 0);
}

TEST_F(BadUpdateServiceTest, ExpiredCertificateIsRefusedBeforeAnyRequest) {
  services_test::Credentials expired =
      services_test::MakeServerCredentials(m_authority, "IP:127.0.0.1");
  Expire(expired, m_authority);
  Serve(expired, [](httplib::Response& response) {
    response.set_content(R"({"version": "1.0.0"})", "application/json");
  });
  double seconds = 0;
  const HostRun run = Run(&seconds);
  ExpectLoadWentOn(run);
  EXPECT_TRUE(Prompts(run).empty());
  EXPECT_EQ(m_requests, 0);

  // The same service with a certificate in date prompts.
  Serve(m_credentials, [](httplib::Response& response) {
    response.set_content(R"({"version": "1.0.0"})", "application/json");
  });
  EXPECT_EQ(Prompts(Run(&seconds)).size(), 1u);
  EXPECT_EQ(m_requests, 1);
}

// --- The analytics endpoint ---------------------------------------------------------------------

TEST(BadAnalyticsTest, EndpointThatNeverAnswersHoldsTheCommandOnlyForTheReadTimeout) {
  HostSandbox sandbox;
  SilentListener collector;
  const auto begin = std::chrono::steady_clock::now();
  const HostRun run = sandbox.Run(
      {kWebsite}, {{"ORVEX_ANALYTICS_HOST", "127.0.0.1:" + std::to_string(collector.port())}});
  const double seconds = Seconds(std::chrono::steady_clock::now() - begin);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.Events("shell_open").size(), 1u);
  EXPECT_TRUE(run.Events("message_box").empty());
  EXPECT_EQ(collector.Accepted(), 1);
  EXPECT_EQ(collector.Received().rfind("POST /collect HTTP/1.1\r\n", 0), 0u);
  EXPECT_GE(seconds, 4.5);
  EXPECT_LT(seconds, 10.0);
}

// --- Documents
// ------------------------------------------------------------------------------------

namespace {

// Every plug-in command that sends something, with camera moves between them
// unless the document has no view to move.
HostRun RunEverySend(HostSandbox& sandbox, const json& doc, bool moveCamera = true) {
  std::vector<std::string> commands = {kStart, kSendModel, kSendLights, kSendScenes};
  if (moveCamera) commands.insert(commands.end(), {"Orbit 30", "Wait 50"});
  commands.push_back(kViewSyncOff);
  if (moveCamera) commands.push_back("Zoom 2");
  commands.insert(commands.end(), {kViewSyncOn, "Wait 50", kSendModel, kStop, kSendModel});
  return sandbox.RunDocument(doc, commands);
}

// The user saw every command of RunEverySend succeed, up to the send after Stop.
void ExpectEverySendWent(const HostRun& run) {
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.Events("message_box").empty());
  EXPECT_EQ(Count(run.out, "OrvexConverter: Success\n"), 8) << run.out;
  EXPECT_EQ(Count(run.out, "OrvexConverter: Not Connected!\n"), 1) << run.out;
}

json MeshOf(const char* vertices, const char* faces) {
  return {{"vertices", json::parse(vertices)}, {"faces", json::parse(faces)}};
}

// Every position of every mesh sent, as sent.
std::vector<json> Positions(const HostRun& run) {
  std::vector<json> positions;
  for (const json& call : run.Calls("AddMesh"))
    for (const json& value : call["positions"]) positions.push_back(value);
  return positions;
}

}  // namespace

TEST(BadDocumentTest, UnsetUnitsSendNotANumberAndNothingBreaks) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = SavedDocument();
  doc["units"] = "unset";
  doc["lights"] = json::parse(R"([{"name": "bulb", "kind": "point", "location": [1, 2, 3]}])");
  const HostRun run = RunEverySend(sandbox, doc);
  ExpectEverySendWent(run);
  ExpectSoundCallLog(run);
  // Without a unit the scale is not a number: so is every position.
  const std::vector<json> positions = Positions(run);
  ASSERT_FALSE(positions.empty());
  for (const json& value : positions) EXPECT_EQ(value, "nan");
  ASSERT_EQ(run.Calls("SendLightsDataXml").size(), 1u);
  EXPECT_NE(run.Calls("SendLightsDataXml")[0]["xml"].get<std::string>().find("nan"),
            std::string::npos);
}

TEST(BadDocumentTest, EmptyMeshesSendNoMeshAndTheLinkStands) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = SavedDocument();
  doc["objects"].push_back({{"name", "nothing"}, {"mesh", MeshOf("[]", "[]")}});
  doc["objects"].push_back({{"name", "points"}, {"mesh", MeshOf("[[0,0,0],[1,0,0]]", "[]")}});
  doc["objects"].push_back(
      {{"name", "faces without vertices"}, {"mesh", MeshOf("[]", "[[0,1,2]]")}});
  doc["objects"].push_back({{"name", "face past the vertices"},
                            {"mesh", MeshOf("[[0,0,0],[1,0,0],[1,1,0]]", "[[0,1,7],[2,1,0]]")}});
  doc["objects"].push_back(
      {{"name", "empty faces"},
       {"faces", json::parse(R"([{"mesh": {"vertices": [], "faces": []}}])")}});
  doc["instance_definitions"] = json::parse(
      R"([{"id": "3c000001-0000-4000-8000-000000000001", "name": "empty block", "objects": []}])");
  doc["objects"].push_back({{"name", "empty reference"},
                            {"instance",
                             {{"definition", "3c000001-0000-4000-8000-000000000001"},
                              {"xform", json::parse("[1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1]")}}}});
  const HostRun run = RunEverySend(sandbox, doc);
  ExpectEverySendWent(run);
  ExpectSoundCallLog(run);
  for (const json& call : run.Calls("AddMesh")) EXPECT_FALSE(call["indices"].empty());
}

TEST(BadDocumentTest, NonFiniteVerticesKeepTheirPlaceAsTheOriginAndLoseTheirTriangles) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = SavedDocument();
  doc["objects"] = json::array();
  doc["objects"].push_back(
      {{"name", "quad"},
       {"mesh",
        {{"vertices", json::parse(R"([[0,0,0],[1000,0,0],[1000,1000,0],["nan",1000,0]])")},
         {"normals", json::parse(R"([[0,0,1],["inf",0,1],[0,0,1],[0,0,1]])")},
         {"faces", json::parse("[[0,1,2,3]]")}}}});
  doc["objects"].push_back(
      {{"name", "all bad"},
       {"mesh", MeshOf(R"([["inf",0,0],[0,"-inf",0],[0,0,"nan"]])", "[[0,1,2]]")}});
  const HostRun run = RunEverySend(sandbox, doc);
  ExpectEverySendWent(run);
  ExpectSoundCallLog(run);
  const auto meshes = run.Calls("AddMesh");
  ASSERT_FALSE(meshes.empty());
  // The quad's second triangle uses the bad vertex and is dropped; the vertex
  // stays in its place at the origin, its bad normal becomes (0, 0, 1).
  const json& quad = meshes[0];
  EXPECT_EQ(quad["indices"], json::parse("[0,1,2]"));
  EXPECT_EQ(quad["positions"], json::parse("[0,0,0, 0,100,0, 100,100,0, 0,0,0]"));
  EXPECT_EQ(quad["normals"], json::parse("[0,0,1, 0,0,1, 0,0,1, 0,0,1]"));
  for (const json& value : Positions(run)) EXPECT_TRUE(value.is_number()) << value;
}

TEST(BadDocumentTest, ZeroLengthLightVectorsStillDescribeEveryLight) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = SavedDocument();
  doc["lights"] = json::parse(R"([
    {"name": "spot", "kind": "spot", "location": [0,0,0], "direction": [0,0,0]},
    {"name": "strip", "kind": "linear", "length": [0,0,0], "width": [0,0,0]},
    {"name": "panel", "kind": "rectangular", "direction": [0,0,0], "length": [0,0,0],
     "width": [0,0,0]},
    {"name": "lost", "kind": "point", "location": ["nan", "inf", "-inf"]},
    {"name": "sun", "kind": "directional", "direction": [0,0,0]}])");
  const HostRun run = RunEverySend(sandbox, doc);
  ExpectEverySendWent(run);
  ExpectSoundCallLog(run);
  ASSERT_EQ(run.Calls("SendLightsDataXml").size(), 1u);
  pugi::xml_document xml;
  ASSERT_TRUE(OneElement(run.Calls("SendLightsDataXml")[0]["xml"], "Root", xml));
  std::vector<std::string> names;
  for (pugi::xml_node source : xml.child("Root").children("LightSource"))
    names.push_back(std::string(source.child("LightName").text().get()).substr(0, 5));
  // The renderer has no directional light; every other one is there.
  EXPECT_THAT(names, ElementsAre("spot[", "strip", "panel", "lost["));
}

TEST(BadDocumentTest, DegenerateViewportsSendCamerasAndScenesWithoutBreaking) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = SavedDocument();
  // A two-point view looking nowhere is refused (DocumentReaderTest): this one is plain.
  const json flat = json::parse(R"({"projection": "perspective", "location": [0,0,0],
      "direction": [0,0,0], "up": [0,0,0], "target": [0,0,0], "frustum": [0,0,0,0,0,0]})");
  doc["view"] = flat;
  doc["named_views"] = json::array();
  doc["named_views"].push_back({{"name", "flat"}, {"viewport", flat}});
  doc["named_views"].push_back(
      {{"name", "inside out"},
       {"viewport", json::parse(R"({"projection": "perspective", "location": [0,0,0],
          "direction": [0,0,"nan"], "up": [0,0,1], "frustum": [1,-1,1,-1,-1,0]})")}});
  doc["named_views"].push_back(
      {{"name", "parallel"},
       {"viewport", json::parse(R"({"projection": "parallel", "location": ["inf",0,0],
          "direction": [1,0,0], "up": [1,0,0], "frustum": [0,0,0,0,0,0]})")}});
  const HostRun run = RunEverySend(sandbox, doc);
  ExpectEverySendWent(run);
  ExpectSoundCallLog(run);
  EXPECT_EQ(run.Calls("AddScene").size(), 3u);
  EXPECT_FALSE(run.Calls("SetCameraTransformFov").empty());

  // No active view at all: the model still goes, and no camera with it.
  doc.erase("named_views");
  doc["view"] = nullptr;
  const HostRun noView = RunEverySend(sandbox, doc, false);
  ExpectEverySendWent(noView);
  ExpectSoundCallLog(noView);
  EXPECT_TRUE(noView.Calls("SetCameraTransformFov").empty());
}

TEST(BadDocumentTest, BlocksPlacingEachOtherAreCutAtTheFirstRepeatWithANotice) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  json doc = SavedDocument();
  const json mesh = MeshOf("[[0,0,0],[1,0,0],[0,1,0]]", "[[0,1,2]]");
  const std::string ids[2] = {"1d000001-0000-4000-8000-000000000001",
                              "1d000002-0000-4000-8000-000000000002"};
  for (int d = 0; d < 2; ++d) {  // each holds a mesh and two of the other
    const json other = {{"instance", {{"definition", ids[1 - d]}}}};
    doc["instance_definitions"].push_back(
        {{"id", ids[d]}, {"objects", {{{"mesh", mesh}}, other, other}}});
  }
  doc["objects"].push_back({{"instance", {{"definition", ids[0]}}}});
  const HostRun run = sandbox.RunDocument(doc, {kStart, kStop});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(
      run.out.find(".json: 2 block references place a block inside itself and are left out\n"),
      std::string::npos)
      << run.out;
  // The slab, then the first block's mesh and twice the second's.
  EXPECT_EQ(run.Calls("AddMesh").size(), 4u);
}

TEST(BadDocumentTest, MillionCharacterNamesTravelWhole) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::string name = std::string(1000000 - 3, 'n') + "end";
  json doc = SavedDocument();
  doc["materials"] = json::array();
  doc["materials"].push_back({{"id", "2b000001-0000-4000-8000-000000000001"}, {"name", name}});
  doc["layers"] = json::array();
  doc["layers"].push_back({{"id", "1a000001-0000-4000-8000-000000000001"}, {"name", name}});
  doc["objects"][0]["name"] = name;
  doc["objects"][0]["material"] = "2b000001-0000-4000-8000-000000000001";
  doc["lights"] = json::array();
  doc["lights"].push_back({{"id", "4d000001-0000-4000-8000-000000000001"},
                           {"name", name},
                           {"layer", "1a000001-0000-4000-8000-000000000001"},
                           {"kind", "point"}});
  doc["named_views"] = json::array();
  doc["named_views"].push_back({{"name", name}, {"viewport", json::parse(R"({
      "location": [0,-10,0], "direction": [0,1,0], "up": [0,0,1]})")}});
  const HostRun run = RunEverySend(sandbox, doc);
  ExpectEverySendWent(run);
  ExpectSoundCallLog(run);

  const auto materials = run.Calls("AddMaterial");
  ASSERT_FALSE(materials.empty());
  EXPECT_EQ(materials[0]["key"], name + "_2b00");
  pugi::xml_document record;
  ASSERT_TRUE(OneElement(materials[0]["record"], "Material", record));
  EXPECT_EQ(record.child("Material").child("Name").text().get(), name);
  ASSERT_EQ(run.Calls("AddScene").size(), 1u);
  EXPECT_EQ(run.Calls("AddScene")[0]["name"], name);
  pugi::xml_document lights;
  ASSERT_TRUE(OneElement(run.Calls("SendLightsDataXml").at(0)["xml"], "Root", lights));
  EXPECT_EQ(lights.child("Root").child("LightSource").child("LightName").text().get(),
            name + "[4d00]");
  EXPECT_EQ(lights.child("Root").first_child().next_sibling().child("GroupName").text().get(),
            name);
}

TEST(BadDocumentTest, UnbalancedQuotesAndMarkupInEveryNameStayText) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const std::vector<std::string> names = {
      R"(<Material><Name>"x</Name>)",     R"(Tom's "grill & <b>bar)",
      R"(]]></Root><!-- ' " &amp; &#0;)", R"(<?xml version="1.0"?><a b='c>)",
      R"(&lt;&gt; "" ' < > & "'")",       "\"\"\"'''<<<>>>&&&"};
  const std::string path = R"(D:/p/"quoted' <&>.3dm)";
  json doc = SavedDocument();
  doc["path"] = path;
  doc["materials"] = json::array();
  doc["materials"].push_back(
      {{"id", "2b000001-0000-4000-8000-000000000001"},
       {"name", names[0]},
       {"textures", json::parse(R"([{"type": 1, "path": "C:/maps/<wood>&\"grain'.png"}])")}});
  doc["layers"] = json::array();
  doc["layers"].push_back({{"id", "1a000001-0000-4000-8000-000000000001"}, {"name", names[1]}});
  doc["objects"][0]["name"] = names[2];
  doc["objects"][0]["material"] = "2b000001-0000-4000-8000-000000000001";
  doc["lights"] = json::array();
  doc["lights"].push_back({{"id", "4d000001-0000-4000-8000-000000000001"},
                           {"name", names[3]},
                           {"layer", "1a000001-0000-4000-8000-000000000001"},
                           {"kind", "spot"},
                           {"direction", json::parse("[0,0,-1]")}});
  doc["named_views"] = json::array();
  doc["named_views"].push_back({{"name", names[4]}, {"viewport", json::parse(R"({
      "location": [0,-10,0], "direction": [0,1,0], "up": [0,0,1]})")}});
  doc["instance_definitions"] = json::array();
  doc["instance_definitions"].push_back(
      {{"id", "3c000001-0000-4000-8000-000000000001"},
       {"name", names[5]},
       {"objects", json::array({{{"name", names[5]},
                                 {"mesh", MeshOf("[[0,0,0],[0,1,0],[0,0,1]]", "[[0,1,2]]")}}})}});
  doc["objects"].push_back({{"name", names[5]},
                            {"instance",
                             {{"definition", "3c000001-0000-4000-8000-000000000001"},
                              {"xform", json::parse("[1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1]")}}}});
  const HostRun run = RunEverySend(sandbox, doc);
  ExpectEverySendWent(run);
  ExpectSoundCallLog(run);

  EXPECT_EQ(run.Calls("StartLinkOrvexRender").at(0)["path"], path);
  EXPECT_EQ(run.Calls("SetModelFilePath").at(0)["path"], path);
  const auto materials = run.Calls("AddMaterial");
  ASSERT_FALSE(materials.empty());
  pugi::xml_document record;
  ASSERT_TRUE(OneElement(materials[0]["record"], "Material", record));
  EXPECT_EQ(record.child("Material").child("Name").text().get(), names[0]);
  EXPECT_EQ(record.child("Material").child("DiffuseTexture").child("Filepath").text().get(),
            std::string("C:/maps/<wood>&\"grain'.png"));
  EXPECT_EQ(materials[0]["key"], names[0] + "_2b00");
  pugi::xml_document lights;
  ASSERT_TRUE(OneElement(run.Calls("SendLightsDataXml").at(0)["xml"], "Root", lights));
  const pugi::xml_node root = lights.child("Root");
  EXPECT_EQ(root.first_child().child("GroupName").text().get(), std::string(R"("quoted' <&>.3dm)"));
  EXPECT_EQ(root.first_child().next_sibling().child("GroupName").text().get(), names[1]);
  EXPECT_EQ(root.child("LightSource").child("LightName").text().get(), names[3] + "[4d00]");
  EXPECT_EQ(run.Calls("AddScene").at(0)["name"], names[4]);
}

TEST(BadDocumentTest, NumbersBeyondADoubleRefuseTheDocumentWithItsName) {
  HostSandbox sandbox;
  const fs::path path = sandbox.Root() / "huge.orvexdoc.json";
  std::ofstream(path) << R"({"objects": [{"mesh": {"vertices": [[1e999, 0, 0]], "faces": []}}]})";
  const HostRun run = sandbox.Run({"--doc", path.string(), kStart});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("huge.orvexdoc.json: not valid JSON (a number out of range)"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(run.calls.empty());
  EXPECT_TRUE(run.Events("command").empty());
}
