#include "bridge/render_folder_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

using bridge::DecodeFolderLine;

TEST(FolderLineTest, TakesTheFirstLineWithoutItsLineEnd) {
  EXPECT_EQ(DecodeFolderLine("C:\\Orvex Render"), std::wstring(L"C:\\Orvex Render"));
  EXPECT_EQ(DecodeFolderLine("C:\\Orvex\r\nsecond"), std::wstring(L"C:\\Orvex"));
  EXPECT_EQ(DecodeFolderLine("C:\\Orvex\nsecond"), std::wstring(L"C:\\Orvex"));
  EXPECT_EQ(DecodeFolderLine(""), std::wstring());
  EXPECT_EQ(DecodeFolderLine("\n"), std::wstring());
}

TEST(FolderLineTest, AloneCarriageReturnIsPartOfTheLine) {
  // Only a carriage return right before a line feed belongs to the line end.
  EXPECT_EQ(DecodeFolderLine("\r"), std::wstring(L"\r"));
  EXPECT_EQ(DecodeFolderLine("a\rb"), std::wstring(L"a\rb"));
}

TEST(FolderLineTest, DecodesUtf8AndRefusesWhatIsNotAFolderLine) {
  EXPECT_EQ(DecodeFolderLine("D:\\渲染器"), std::wstring(L"D:\\渲染器"));
  EXPECT_FALSE(DecodeFolderLine("D:\\\xff\xfe"));
  // A character beyond one 16-bit unit cannot be a folder name character here.
  EXPECT_FALSE(DecodeFolderLine("D:\\\xF0\x9F\x8F\xA0"));
}

TEST(FolderFileTest, WritesUtf8WithoutLineEndAndReadsItBack) {
  const test_support::TempDir folder("orvex-folder-file");
  const auto path = folder.path() / "orvex_render_folder.strings";
  bridge::WriteFolderFile(path.wstring(), L"/opt/Orvex 渲染器");
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "/opt/Orvex \xe6\xb8\xb2\xe6\x9f\x93\xe5\x99\xa8");
  bool opened = false;
  EXPECT_EQ(bridge::ReadFolderFile(path.wstring(), &opened), std::wstring(L"/opt/Orvex 渲染器"));
  EXPECT_TRUE(opened);
  std::filesystem::remove(path);
  EXPECT_FALSE(bridge::ReadFolderFile(path.wstring(), &opened));
  EXPECT_FALSE(opened);
}
