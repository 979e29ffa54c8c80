// What only the Windows build has: the system language, the roaming folder,
// the library search order and a 32-bit library, through the Windows calls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <regex>

#include "command_names.h"
#include "host_sandbox.h"
#include "message_texts.h"
#include "tests/services/test_support.h"
#include "tests/support/file_io.h"
// After the sockets header of the line above, which must come first.
#include <windows.h>

namespace fs = std::filesystem;
using ::testing::Each;
using ::testing::ElementsAre;

// Run once with LANG=zh_CN.UTF-8 and once with C.UTF-8: wine takes the system
// language from it when the test starts, and the host from the test.
TEST(WindowsLanguageTest, MessageBoxesFollowTheSystemLanguage) {
  const char* lang = std::getenv("LANG");
  const bool chinese = lang != nullptr && std::string(lang).rfind("zh_CN", 0) == 0;
  ASSERT_EQ(GetSystemDefaultLangID(), chinese ? 2052 : 1033) << "LANG=" << (lang ? lang : "");
  HostSandbox sandbox;
  nlohmann::json unsaved = SavedDocument();
  unsaved["path"] = "";
  const HostRun run = sandbox.RunDocument(unsaved, {kStart});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.BoxTexts(),
              ElementsAre(chinese ? "请保存当前文件后重试" : "Please save current file and retry"));
}

TEST(WindowsFoldersTest, ClientIdIsKeptInTheRoamingApplicationDataFolder) {
  std::mutex mutex;
  std::vector<std::string> bodies;
  auto collector = std::make_unique<httplib::Server>();
  collector->Post("/collect", [&](const httplib::Request& request, httplib::Response&) {
    std::lock_guard<std::mutex> lock(mutex);
    bodies.push_back(request.body);
  });
  services_test::RunningServer server(std::move(collector));
  HostSandbox sandbox;
  // The folder SHGetKnownFolderPath names, not the one APPDATA says.
  const fs::path folder = sandbox.PlugInConfigFolder();
  fs::remove_all(folder);
  const HostRun run = sandbox.Run(
      {kWebsite}, {{"ORVEX_ANALYTICS_HOST", "127.0.0.1:" + std::to_string(server.port())},
                   {"APPDATA", sandbox.ConfigFolder().string()}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string id = test_support::ReadFile(folder / "orvex_RhinoCid.txt");
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}"))) << id;
  EXPECT_FALSE(fs::exists(sandbox.ConfigFolder()));
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_EQ(bodies.size(), 1u);
  EXPECT_NE(bodies[0].find("&cid=" + id + "&"), std::string::npos) << bodies[0];
}

// A bridge in the folder the host runs in: a variant without Connect, which
// would leave the link unmade if it were the one loaded.
TEST(WindowsLibraryTest, ThePlugInsOwnBridgeWinsOverOneInTheWorkingFolder) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  sandbox.workingFolder = sandbox.Root() / "working folder";
  fs::create_directories(sandbox.workingFolder);
  fs::copy_file(fs::path(ORVEX_VARIANTS_DIR) / "no_Connect" / kBridgeFileName,
                sandbox.workingFolder / kBridgeFileName);
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStart, kStop});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.BoxTexts().empty());
  EXPECT_EQ(run.Calls("Connect").size(), 1u);
  EXPECT_NE(run.out.find("OrvexConverter: Success\n"), std::string::npos) << run.out;
}

// Neither one in the working folder nor a 32-bit one beside the plug-in is
// loaded: the load message for every handle, no bridge call, no crash.
TEST(WindowsLibraryTest, NoUsableBridgeBesideThePlugInShowsOnlyTheLoadMessage) {
  for (const char* bridge : {"none", "x86_32"}) {
    SCOPED_TRACE(bridge);
    HostSandbox sandbox(bridge);
    sandbox.RememberRenderer();
    sandbox.workingFolder = sandbox.Root() / "working folder";
    fs::create_directories(sandbox.workingFolder);
    fs::copy_file(ORVEX_BRIDGE_FILE, sandbox.workingFolder / kBridgeFileName);
    const HostRun run = sandbox.RunDocument(SavedDocument(), {kStart, kSendModel, kStop});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.BoxTexts().size(), 4u);
    EXPECT_THAT(run.BoxTexts(), Each(std::string(kLoadMessage)));
    EXPECT_TRUE(run.calls.empty());
    EXPECT_EQ(run.out.find("Success"), std::string::npos);
  }
}

// A stored folder that cannot be the renderer's: the chooser is offered again
// and the file is left as it was.
TEST(WindowsFoldersTest, UnusableStoredFolderOffersTheChooserAgain) {
  HostSandbox sandbox;
  const std::string longPath = "C:\\" + std::string(MAX_PATH, 'a') + "\\Orvex Render";
  const std::string removed = (sandbox.Root() / "已删除 的文件夹").string();
  for (const std::string& stored : {longPath, removed}) {
    std::ofstream(sandbox.FolderFile(), std::ios::binary) << stored;
    const HostRun run =
        sandbox.RunDocument(SavedDocument(), {"--answer", "ok", "--folder", "cancel", kStart});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.BoxTexts(), ElementsAre(kCodeOneMessage));
    EXPECT_EQ(run.Events("folder_browser").size(), 1u);
    EXPECT_EQ(test_support::ReadFile(sandbox.FolderFile()), stored);
  }
}
