// Finding texture images: absolute paths, relative paths in the search folders, one image per
// file, unique URI-safe names, and files that are not PNG or JPEG.

#include "standin/bridge/texture_files.h"

#include <gtest/gtest.h>

#include "tests/standin_bridge/bridge_library.h"
#include "tests/support/file_io.h"

namespace orvex_bridge_test {
namespace {

namespace fs = std::filesystem;
using orvex_bridge::TextureFiles;
using test_support::WriteFile;

const std::string kPngHead("\x89PNG\r\n\x1A\n....", 12);
const std::string kJpegHead("\xFF\xD8\xFF\xE0....", 8);

TEST(TextureFiles, FindsEachFileOnceUnderAUniqueName) {
  TempDir first, second, output;
  WriteFile(second.path() / "maps/oak.png", kPngHead);
  WriteFile(first.path() / "other/oak.png", kPngHead);
  WriteFile(first.path() / "stone wall #2.jpg", kJpegHead);
  TextureFiles textures({first.path(), second.path()});
  std::string problem;
  EXPECT_EQ(textures.Find("maps/oak.png", problem), 0);  // found in the second folder
  EXPECT_EQ(textures.Find((second.path() / "maps/../maps/oak.png").string(), problem), 0);
  EXPECT_EQ(textures.Find((first.path() / "other/oak.png").string(), problem), 1);
  EXPECT_EQ(textures.Find("stone wall #2.jpg", problem), 2);
  EXPECT_TRUE(problem.empty());
  ASSERT_EQ(textures.images().size(), 3u);
  EXPECT_EQ(textures.images()[0].uri, "textures/oak.png");
  EXPECT_EQ(textures.images()[0].mimeType, "image/png");
  EXPECT_EQ(textures.images()[1].uri, "textures/oak-2.png");
  EXPECT_EQ(textures.images()[2].uri, "textures/stone_wall__2.jpg");
  EXPECT_EQ(textures.images()[2].mimeType, "image/jpeg");

  std::vector<std::string> problems;
  textures.CopyInto(output.path(), problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(fs::file_size(output.path() / "textures/oak-2.png"), kPngHead.size());
  EXPECT_TRUE(fs::exists(output.path() / "textures/stone_wall__2.jpg"));
}

TEST(TextureFiles, MissingAndUnknownFilesAreToldOnce) {
  TempDir folder;
  WriteFile(folder.path() / "plan.bmp", "BM......");
  WriteFile(folder.path() / "tiny.png", "\x89P");
  TextureFiles textures({folder.path()});
  std::string problem;
  EXPECT_FALSE(textures.Find("gone.png", problem));
  EXPECT_EQ(problem, "the image gone.png is not found");
  problem.clear();
  EXPECT_FALSE(textures.Find("gone.png", problem));
  EXPECT_TRUE(problem.empty());
  EXPECT_FALSE(textures.Find("plan.bmp", problem));
  EXPECT_EQ(problem, "the image plan.bmp is neither PNG nor JPEG");
  EXPECT_FALSE(textures.Find("tiny.png", problem));
  EXPECT_EQ(problem, "the image tiny.png is neither PNG nor JPEG");
  EXPECT_FALSE(textures.Find("", problem));
  EXPECT_TRUE(textures.images().empty());
}

}  // namespace
}  // namespace orvex_bridge_test
