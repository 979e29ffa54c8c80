// Whole runs of the Start and Stop commands through orvex-host and the bridge
// stand-in: the transcript shows what the user saw, the call log what the
// renderer received.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <set>

#include "command_names.h"
#include "host_sandbox.h"
#include "tests/support/file_io.h"

using nlohmann::json;
using ::testing::ElementsAre;

TEST(StartTest, UnsavedDocumentShowsOnlyTheSaveMessage) {
  HostSandbox sandbox;
  json doc = SavedDocument();
  doc["path"] = "";
  const auto path = sandbox.WriteDocument(doc);
  for (const auto& [lang, text] :
       {std::pair<std::string, std::string>{"en", "Please save current file and retry"},
        {"zh", "请保存当前文件后重试"}}) {
    const HostRun run = sandbox.Run({"--doc", path.string(), "--lang", lang, kStart});
    ASSERT_EQ(run.exitCode, 0);
    const auto boxes = run.Events("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], text);
    EXPECT_EQ(boxes[0]["caption"], "Orvex Converter");
    EXPECT_EQ(boxes[0]["flags"], 0);
    EXPECT_TRUE(run.Calls("StartLinkOrvexRender").empty());
    EXPECT_EQ(run.out.find("Success"), std::string::npos);
  }
}

TEST(StartTest, FirstStartAsksForTheFolderThenLinksAndRefusesASecondStart) {
  HostSandbox sandbox;
  const auto doc = sandbox.WriteDocument(SavedDocument());
  const std::string folder = sandbox.RendererFolder().string();
  const HostRun run = sandbox.Run(
      {"--doc", doc.string(), "--answer", "ok", "--folder", folder, kStart, kStart, kStart, kStop});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_THAT(run.BoxTexts(),
              ElementsAre("Failed to start the Orvex Render! Failed to find the Orvex Render "
                          "installation path. Click OK to manually specify the installation "
                          "directory.",
                          "The installation directory was successfully specified. Please try "
                          "again."));
  const auto boxes = run.Events("message_box");
  EXPECT_EQ(boxes[0]["flags"], 1);
  EXPECT_EQ(boxes[0]["caption"], "error");
  EXPECT_EQ(boxes[1]["caption"], "");
  const auto chooser = run.Events("folder_browser");
  ASSERT_EQ(chooser.size(), 1u);
  EXPECT_EQ(chooser[0]["title"], "Choose Orvex Render install path:");
  // The folder is stored exactly, without a line end.
  EXPECT_EQ(test_support::ReadFile(sandbox.FolderFile()), folder);

  // Then: start, link, full send; the third Start is refused without a bridge call.
  const std::vector<std::string> names = run.CallNames();
  const auto starts = run.Calls("StartLinkOrvexRender");
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0]["result"], 1);
  EXPECT_EQ(starts[1]["result"], 0);
  EXPECT_EQ(starts[1]["path"], "D:/projects/house.3dm");
  const std::vector<std::string> link = {"StartLinkOrvexRender", "SetModelFilePath", "Connect",
                                         "CreateModel"};
  auto at = std::search(names.begin(), names.end(), link.begin(), link.end());
  ASSERT_NE(at, names.end());
  EXPECT_EQ(run.Calls("SetModelFilePath")[0]["path"], "D:/projects/house.3dm");
  // The full send ends with the transfer and a disconnect, in that order.
  const std::vector<std::string> finish = {"OptimizeModel", "StartSend", "DisConnect"};
  EXPECT_NE(std::search(at, names.end(), finish.begin(), finish.end()), names.end());
  EXPECT_EQ(run.Calls("DestroyModel").size(), 1u);
  EXPECT_EQ(run.Calls("DestroyModel")[0]["model"], run.Calls("CreateModel")[0]["result"]);
  EXPECT_NE(run.out.find("OrvexConverter: Success\nOrvexConverter: Connected!\n"
                         "OrvexConverter: Success\n"),
            std::string::npos);
}

TEST(StartTest, ConnectWaitsBeforeTheModelIsCreated) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStart});
  const double connected = run.Calls("Connect").at(0)["ms"];
  const double created = run.Calls("CreateModel").at(0)["ms"];
  EXPECT_GE(created - connected, 1450.0);
}

struct ResultCodeCase {
  int code;
  const char* english;
  const char* chinese;
};

class ResultCodeTest : public ::testing::TestWithParam<ResultCodeCase> {};

TEST_P(ResultCodeTest, StartShowsTheCodeMessageInBothLanguagesAndStaysUnlinked) {
  const ResultCodeCase c = GetParam();
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const auto doc = sandbox.WriteDocument(SavedDocument());
  for (const char* lang : {"en", "zh"}) {
    const HostRun run = sandbox.Run({"--doc", doc.string(), "--lang", lang, kStart, kStop},
                                    {{"ORVEX_BRIDGE_START_CODE", std::to_string(c.code)}});
    const auto boxes = run.Events("message_box");
    ASSERT_EQ(boxes.size(), 1u) << lang;
    EXPECT_EQ(boxes[0]["text"], std::string(lang) == "zh" ? c.chinese : c.english);
    EXPECT_EQ(boxes[0]["caption"], "error");
    EXPECT_EQ(boxes[0]["flags"], 0);
    EXPECT_EQ(run.out.find("Success"), std::string::npos);
    EXPECT_NE(run.out.find("OrvexConverter: Not Connected!\n"), std::string::npos);
    EXPECT_TRUE(run.Calls("SetModelFilePath").empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ResultCodeTest,
    ::testing::Values(
        ResultCodeCase{2, "The Orvex Render is not opening", "未开启Orvex渲染器"},
        ResultCodeCase{3, "Please install the latest version of Orvex Render", "版本不支持"},
        ResultCodeCase{4,
                       "Please retry after exit rendering mode or finish the rendering within "
                       "Orvex Render",
                       "渲染器正在工作中,请稍后重试"},
        ResultCodeCase{5, "Please retry after Orvex Render finish update",
                       "渲染器正在升级,请升级完成后重试"},
        ResultCodeCase{6, "Cancelled by the user.", "用户取消"},
        ResultCodeCase{7, "Unknown issue, please contact the developer", "未知错误"},
        ResultCodeCase{8, "Network error, please check the status of network connection",
                       "网络错误"}),
    [](const ::testing::TestParamInfo<ResultCodeCase>& info) {
      return "Code" + std::to_string(info.param.code);
    });

TEST(StartTest, CodesOutsideTheTableFailSilently) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const auto doc = sandbox.WriteDocument(SavedDocument());
  for (const char* code : {"9", "-1"}) {
    const HostRun run =
        sandbox.Run({"--doc", doc.string(), kStart}, {{"ORVEX_BRIDGE_START_CODE", code}});
    EXPECT_TRUE(run.Events("message_box").empty()) << code;
    EXPECT_EQ(run.out.find("Success"), std::string::npos);
    EXPECT_TRUE(run.Calls("SetModelFilePath").empty());
  }
}

TEST(StartTest, CodeOneInChineseAndCancelShowsNothingMore) {
  HostSandbox sandbox;
  const HostRun run =
      sandbox.RunDocument(SavedDocument(), {"--lang", "zh", "--answer", "cancel", kStart});
  EXPECT_THAT(
      run.BoxTexts(),
      ElementsAre(
          "启动Orvex渲染器失败! 未能找到Orvex渲染器安装路径。点击\"确定\"手动指定安装目录。"));
  EXPECT_TRUE(run.Events("folder_browser").empty());
  EXPECT_FALSE(std::filesystem::exists(sandbox.FolderFile()));
}

TEST(StartTest, RejectedFolderThreeTimesThenCancelLeavesTheFolderFileAlone) {
  HostSandbox sandbox;
  std::ofstream(sandbox.FolderFile(), std::ios::binary) << "/old/renderer";
  const HostRun run = sandbox.RunDocument(
      SavedDocument(), {"--answer", "ok", "--folder", "/nowhere/1", "--folder", "/nowhere/2",
                        "--folder", sandbox.Root().string(), "--folder", "cancel", kStart});
  const std::vector<std::string> texts = run.BoxTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "This path is incorrect!"), 3);
  EXPECT_EQ(run.Events("folder_browser").size(), 4u);
  EXPECT_EQ(test_support::ReadFile(sandbox.FolderFile()), "/old/renderer");
  EXPECT_EQ(run.out.find("Success"), std::string::npos);
}

TEST(StartTest, FolderTheFolderFileCannotHoldIsRefusedBeforeTheBridgeHearsOfIt) {
  HostSandbox sandbox;
  // A renderer the bridge would accept, in a folder named with a character
  // beyond one 16-bit unit.
  const std::filesystem::path beyond =
      sandbox.Root() / std::filesystem::u8path("Orvex \xf0\x9f\x98\x80");
  std::filesystem::create_directories(beyond);
  std::ofstream(beyond / "OrvexRender") << "renderer";
  const std::string folder = sandbox.RendererFolder().string();
  const HostRun run = sandbox.RunDocument(
      SavedDocument(), {"--answer", "ok", "--folder", beyond.string(), "--folder", folder, kStart});
  EXPECT_THAT(run.BoxTexts(),
              ElementsAre("Failed to start the Orvex Render! Failed to find the Orvex Render "
                          "installation path. Click OK to manually specify the installation "
                          "directory.",
                          "This path is incorrect!",
                          "The installation directory was successfully specified. Please try "
                          "again."));
  const auto told = run.Calls("SetOrvexRenderPath");
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0]["path"], folder);
  EXPECT_EQ(test_support::ReadFile(sandbox.FolderFile()), folder);
}

TEST(BridgeLoadTest, MissingLibraryShowsTheLoadMessageForEachHandle) {
  HostSandbox sandbox("none");
  const auto doc = sandbox.WriteDocument(SavedDocument());
  const HostRun run = sandbox.Run({"--doc", doc.string(), kStop});
  EXPECT_THAT(run.BoxTexts(), ElementsAre("Dll error for initting the  handle",
                                          "Dll error for initting the  handle",
                                          "Dll error for initting the  handle"));
  EXPECT_NE(run.out.find("OrvexConverter: Not Connected!\n"), std::string::npos);
  const HostRun chinese = sandbox.Run({"--doc", doc.string(), "--lang", "zh", kStart});
  // Three loads at context creation, and Start tries its own handle once more.
  ASSERT_EQ(chinese.BoxTexts().size(), 4u);
  EXPECT_EQ(chinese.BoxTexts()[0],
            "Dll句柄加载失败,请检查您的插件目录下是否存在OrvexPlugin.dll文件,"
            "如不存在请尝试将插件卸载后重新安装");
  EXPECT_EQ(chinese.out.find("Success"), std::string::npos);
}

TEST(BridgeLoadTest, StoredFolderIsToldToEveryHandleWithoutItsLineEnd) {
  HostSandbox sandbox;
  const std::string folder = sandbox.RendererFolder().string();
  std::ofstream(sandbox.FolderFile(), std::ios::binary) << folder << "\r\nsecond line\n";
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStop});
  const auto told = run.Calls("SetOrvexRenderPath");
  ASSERT_EQ(told.size(), 3u);
  for (const json& call : told) {
    EXPECT_EQ(call["path"], folder);
    EXPECT_EQ(call["result"], true);
  }
}

TEST(BridgeLoadTest, InvalidUtf8FolderFileCountsAsNoStoredFolder) {
  HostSandbox sandbox;
  std::ofstream(sandbox.FolderFile(), std::ios::binary) << "/opt/\xff\xfe/renderer";
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStop});
  EXPECT_TRUE(run.Calls("SetOrvexRenderPath").empty());
  EXPECT_TRUE(run.Events("message_box").empty());
}

TEST(BridgeExportTest, MissingSetModelFilePathStopsTheStart) {
  HostSandbox sandbox("no_SetModelFilePath");
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStart});
  EXPECT_THAT(run.BoxTexts(), ElementsAre("Get dll func error"));
  EXPECT_EQ(run.Events("message_box")[0]["caption"], "error");
  EXPECT_TRUE(run.Calls("Connect").empty());
  EXPECT_EQ(run.out.find("Success"), std::string::npos);
}

TEST(BridgeExportTest, MissingConnectShowsItsOwnMessageInEveryLanguage) {
  HostSandbox sandbox("no_Connect");
  sandbox.RememberRenderer();
  const auto doc = sandbox.WriteDocument(SavedDocument());
  for (const char* lang : {"en", "zh"}) {
    const HostRun run = sandbox.Run({"--doc", doc.string(), "--lang", lang, kStart});
    EXPECT_THAT(run.BoxTexts(), ElementsAre("null ptr for fun connect"));
    EXPECT_EQ(run.Events("message_box")[0]["flags"], 1);
    EXPECT_TRUE(run.Calls("CreateModel").empty());
  }
}

TEST(BridgeExportTest, RefusedConnectShowsItsCode) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run =
      sandbox.RunDocument(SavedDocument(), {kStart}, {{"ORVEX_BRIDGE_CONNECT_CODE", "2"}});
  EXPECT_THAT(run.BoxTexts(), ElementsAre("The Orvex Render is not opening"));
  EXPECT_TRUE(run.Calls("CreateModel").empty());
}

TEST(WatcherTest, ClosingTheDocumentEndsTheLink) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStart, "Close", kStop});
  ASSERT_EQ(run.Calls("DestroyModel").size(), 1u);
  // The close unlinked: the Stop that follows finds nothing to stop, and so
  // does a second close with no document.
  EXPECT_NE(run.out.find("OrvexConverter: Success\nOrvexConverter: Not Connected!\n"),
            std::string::npos);
  EXPECT_EQ(run.out.find("Success", run.out.find("Not Connected!")), std::string::npos);
}

TEST(WatcherTest, ClosingWhileUnlinkedOnlySaysNotConnected) {
  HostSandbox sandbox;
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStop, "Close"});
  const std::string expectedTail =
      "OrvexConverter: Not Connected!\nOrvexConverter: Not Connected!\n";
  ASSERT_GE(run.out.size(), expectedTail.size());
  EXPECT_EQ(run.out.substr(run.out.size() - expectedTail.size()), expectedTail);
  EXPECT_TRUE(run.Calls("DestroyModel").empty());
}

TEST(ModuleTest, LoadPrintsTheBannerOnceAndAboutShowsTheDeclaration) {
  HostSandbox sandbox;
  const HostRun run = sandbox.RunDocument(SavedDocument(), {kStop, kStop});
  const std::regex banner(
      R"(^OrvexConv 0\.9\.0 \([A-Z][a-z]{2} [ 0-9]\d \d{4}  \d\d:\d\d:\d\d\) 2\n)");
  EXPECT_TRUE(std::regex_search(run.out, banner)) << run.out;
  EXPECT_EQ(run.out.find("OrvexConv 0.9.0", 1), std::string::npos);

  const HostRun about = sandbox.Run({"--about"});
  EXPECT_EQ(about.exitCode, 0);
  for (const char* line :
       {"RhinoPlugInName: OrvexConv\n", "RhinoPlugInId: 7C3A91F2-5B0E-4D8A-9F61-2E4B8D0C7A53\n",
        "RhinoPlugInDescription: Direct Link for Orvex Render\n",
        "RhinoPlugInSdkVersion: 2348836105\n", "RhinoPlugInSdkServiceRelease: 2382395289\n",
        "RhinoPlugInMfcVersion: 3584\n", "RhinoPlugInMscVersion: 1929\n",
        "RhinoPlugInUsesMfc: true\n", "RhinoPlugInIconResourceId: 5009\n", "PlugInVersion: 0.9.0\n",
        "PlugInLoadTime: 2\n", "PlugInID: 7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53\n",
        "PlugInType: 16\n", "RhinoPlugInDeveloperPhone: +86-000-0000-0000\n",
        "RhinoPlugInDeveloperFax: +86-000-0000-0000\n",
        // The commands in the order they are registered.
        "Command: OrvexConverterWebsite 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c01\n"
        "Command: OrvexConverterStart 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c02\n"
        "Command: OrvexConverterStop 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c03\n"
        "Command: OrvexConverterSendModel 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c04\n"
        "Command: OrvexConverterViewSyncOn 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c05\n"
        "Command: OrvexConverterViewSyncOff 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c06\n"
        "Command: OrvexConverterSendScenes 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c07\n"
        "Command: OrvexConverterSendLights 3f1c2b7a-8d4e-4a61-9b0c-5e7d2a1f6c08\n"})
    EXPECT_NE(about.out.find(line), std::string::npos) << line;
}

#ifndef _WIN32  // the Windows module's exports are checked with objdump
TEST(ModuleTest, ExportsOnlyTheDeclarationFunctions) {
  std::unique_ptr<FILE, int (*)(FILE*)> nm(
      popen("nm -D --defined-only --format=posix '" ORVEX_PLUGIN_FILE "'", "r"), pclose);
  ASSERT_TRUE(nm);
  std::set<std::string> names;
  char line[4096];
  while (std::fgets(line, sizeof line, nm.get()))
    names.insert(std::string(line).substr(0, std::string(line).find(' ')));
  const std::set<std::string> declaration = {"RhinoPlugInName",
                                             "RhinoPlugInId",
                                             "RhinoPlugInVersion",
                                             "RhinoPlugInDescription",
                                             "RhinoPlugInDeveloperOrganization",
                                             "RhinoPlugInDeveloperAddress",
                                             "RhinoPlugInDeveloperCountry",
                                             "RhinoPlugInDeveloperPhone",
                                             "RhinoPlugInDeveloperFax",
                                             "RhinoPlugInDeveloperEmail",
                                             "RhinoPlugInDeveloperWebsite",
                                             "RhinoPlugInUpdateURL",
                                             "RhinoPlugInSdkVersion",
                                             "RhinoPlugInSdkServiceRelease",
                                             "RhinoPlugInMfcVersion",
                                             "RhinoPlugInMscVersion",
                                             "RhinoPlugInUsesMfc",
                                             "RhinoPlugInIconResourceId"};
  EXPECT_EQ(names, declaration);
}
#endif

TEST(HostTest, CommandNamesAreMatchedInAnyCase) {
  HostSandbox sandbox;
  const HostRun run = sandbox.Run({"_orvexconverterSTOP", "wait 1", "EXIT", "NoSuchCommand"});
  EXPECT_EQ(run.exitCode, 0) << run.err;  // Exit ends the run before the unknown name
  ASSERT_EQ(run.Events("command").size(), 3u);
  // Stop while unlinked says so.
  EXPECT_NE(run.out.find("OrvexConverter: Not Connected!"), std::string::npos) << run.out;
}

TEST(HostTest, UnknownCommandsAndBadDocumentsExitWithTwo) {
  HostSandbox sandbox;
  // Unknown also when no document is open, not taken for a document command.
  const HostRun unknown = sandbox.Run({"NoSuchCommand"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("Unknown command: NoSuchCommand"), std::string::npos) << unknown.err;
  // A wait too long for the millisecond count is refused, not wrapped to 1 ms.
  EXPECT_EQ(sandbox.Run({"Wait 4294967297"}).exitCode, 2);
  json doc = SavedDocument();
  doc["objects"][0]["mesh"]["faces"] = json::parse("[[0, 1]]");
  const auto bad = sandbox.WriteDocument(doc, "bad");
  EXPECT_EQ(sandbox.Run({"--doc", bad.string()}).exitCode, 2);
  EXPECT_EQ(sandbox.Run({"--answer", "maybe"}).exitCode, 2);
}
