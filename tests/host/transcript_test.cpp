// The transcript's lines as other tools read them: the exact text of each
// event's line, members in their fixed order with "kind" first.
#include "transcript.h"

#include <gtest/gtest.h>

#include "tests/support/file_io.h"
#include "tests/support/temp_dir.h"

TEST(TranscriptTest, EveryEventIsOneLineWithItsMembersInOrder) {
  test_support::TempDir folder;
  const std::filesystem::path file = folder.path() / "transcript.jsonl";
  {
    Transcript transcript;
    ASSERT_TRUE(transcript.Open(file.string()));
    transcript.Command("OrvexConverterStart");
    transcript.Print("OrvexConverter: \"hi\"\n");
    transcript.RecordMessageBox(L"Connected!", L"提示", 64, 1);
    transcript.FolderBrowser(L"Choose", std::nullopt);
    transcript.FolderBrowser(L"Choose", std::wstring(L"/opt/render"));
    transcript.ShellOpen(L"open", L"explorer.exe", L"https://127.0.0.1/");
  }
  EXPECT_EQ(test_support::ReadFile(file),
            "{\"kind\":\"command\",\"name\":\"OrvexConverterStart\"}\n"
            "{\"kind\":\"print\",\"text\":\"OrvexConverter: \\\"hi\\\"\\n\"}\n"
            "{\"kind\":\"message_box\",\"text\":\"Connected!\",\"caption\":\"提示\",\"flags\":64,"
            "\"answer\":1}\n"
            "{\"kind\":\"folder_browser\",\"title\":\"Choose\",\"answer\":null}\n"
            "{\"kind\":\"folder_browser\",\"title\":\"Choose\",\"answer\":\"/opt/render\"}\n"
            "{\"kind\":\"shell_open\",\"verb\":\"open\",\"file\":\"explorer.exe\","
            "\"params\":\"https://127.0.0.1/\"}\n");
}
