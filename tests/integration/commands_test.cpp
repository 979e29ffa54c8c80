// The commands' link-state checks and view-sync switches, through the host.
#include <gtest/gtest.h>

#include "host_sandbox.h"

namespace {

std::string Console(const HostRun& run) {
  // Everything after the load banner.
  const size_t end = run.out.find('\n');
  return end == std::string::npos ? run.out : run.out.substr(end + 1);
}

}  // namespace

TEST(CommandsTest, EveryLinkedCommandSaysNotConnectedWhileUnlinked) {
  HostSandbox sandbox;
  const HostRun run = sandbox.RunDocument(
      SavedDocument(),
      {"OrvexConverterStop", "OrvexConverterSendModel", "_OrvexConverterViewSyncOn",
       "-OrvexConverterViewSyncOff", "OrvexConverterSendScenes", "OrvexConverterSendLights"});
  std::string expected;
  for (int i = 0; i < 6; ++i) expected += "OrvexConverter: Not Connected!\n";
  EXPECT_EQ(Console(run), expected);
  EXPECT_TRUE(run.Events("message_box").empty());
  EXPECT_EQ(run.exitCode, 0);
}

TEST(CommandsTest, ViewSyncSwitchesReportTheirState) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const HostRun run = sandbox.RunDocument(
      SavedDocument(),
      {"OrvexConverterStart", "OrvexConverterViewSyncOn", "OrvexConverterViewSyncOff",
       "OrvexConverterViewSyncOff", "OrvexConverterViewSyncOn", "OrvexConverterStop"});
  EXPECT_EQ(Console(run),
            "OrvexConverter: Success\n"
            "OrvexConverter: View sync on!\n"
            "OrvexConverter: Success\n"
            "OrvexConverter: View sync off!\n"
            "OrvexConverter: Success\n"
            "OrvexConverter: Success\n");
}

TEST(CommandsTest, WebsiteOpensTheForumPageWhileUnlinked) {
  HostSandbox sandbox;
  const HostRun run = sandbox.Run({"OrvexConverterWebsite"},
                                  {{"ORVEX_WEBSITE_URL", "https://forum.example.test/t/42"}});
  const auto opens = run.Events("shell_open");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0]["verb"], "open");
  EXPECT_EQ(opens[0]["file"], "explorer.exe");
  EXPECT_EQ(opens[0]["params"], "https://forum.example.test/t/42");
  EXPECT_EQ(run.exitCode, 0);
}
