// The transcript's lines as other tools read them: the exact text of each
// event's line, members in their fixed order with "kind" first.
#include "transcript.h"

#include <gtest/gtest.h>

#include "RhinoSdk.h"
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
    // A document's progress meter, as the host hooks it to the transcript.
    rhino_standin::HostHooks hooks;
    hooks.progress = [&](const rhino_standin::ProgressMeterEvent& e) { transcript.Progress(e); };
    rhino_standin::SetHostHooks(hooks);
    CRhinoDoc doc;
    EXPECT_EQ(doc.StatusBarProgressMeterPos(1), 0);  // no meter yet: nothing
    EXPECT_EQ(doc.StatusBarProgressMeterStart(2, 9, L"Sending \"model\""), 1);
    EXPECT_EQ(doc.StatusBarProgressMeterStart(0, 5), -1);
    EXPECT_EQ(doc.StatusBarProgressMeterPos(3, false), 2);
    EXPECT_EQ(doc.StatusBarProgressMeterPos(4), 5);
    doc.StatusBarProgressMeterEnd();
    doc.StatusBarProgressMeterEnd();
    rhino_standin::SetHostHooks({});
  }
  EXPECT_EQ(test_support::ReadFile(file),
            "{\"kind\":\"command\",\"name\":\"OrvexConverterStart\"}\n"
            "{\"kind\":\"print\",\"text\":\"OrvexConverter: \\\"hi\\\"\\n\"}\n"
            "{\"kind\":\"message_box\",\"text\":\"Connected!\",\"caption\":\"提示\",\"flags\":64,"
            "\"answer\":1}\n"
            "{\"kind\":\"folder_browser\",\"title\":\"Choose\",\"answer\":null}\n"
            "{\"kind\":\"folder_browser\",\"title\":\"Choose\",\"answer\":\"/opt/render\"}\n"
            "{\"kind\":\"shell_open\",\"verb\":\"open\",\"file\":\"explorer.exe\","
            "\"params\":\"https://127.0.0.1/\"}\n"
            "{\"kind\":\"progress\",\"stage\":\"start\",\"lower\":2,\"upper\":9,"
            "\"label\":\"Sending \\\"model\\\"\"}\n"
            "{\"kind\":\"progress\",\"stage\":\"pos\",\"pos\":5}\n"
            "{\"kind\":\"progress\",\"stage\":\"pos\",\"pos\":4}\n"
            "{\"kind\":\"progress\",\"stage\":\"end\"}\n");
}
