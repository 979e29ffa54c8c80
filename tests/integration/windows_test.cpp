// What only the Windows build has: the system language, the library search
// order and a 32-bit library, through the Windows calls. (The roaming folder
// and stored folders Windows cannot use are among the bad inputs.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "command_names.h"
#include "host_sandbox.h"
#include "message_texts.h"
#include "tests/services/test_support.h"
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
