#include "bench/large_file.h"

#include <stdlib.h>

#include <mutex>
#include <string>
#include <system_error>

namespace bench {
namespace {

namespace fs = std::filesystem;

LargeDocumentShape LargeFileShape() {
  LargeDocumentShape shape;
  shape.objects = 10000;
  shape.trianglesPerObject = 500;
  shape.definitions = 200;
  shape.referencesPerDefinition = 50;
  shape.materials = 100;
  return shape;
}

}  // namespace

LargeFile::~LargeFile() {
  std::error_code ignored;
  if (!folder.empty()) fs::remove_all(folder, ignored);
}

const LargeFile& TheLargeFile() {
  static LargeFile large;
  static std::once_flag written;
  std::call_once(written, [] {
    std::string pattern = (fs::temp_directory_path() / "orvex-large-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    large.folder = pattern;
    large.file = large.folder / "large.3dm";
    large.written = WriteLargeModelFile(large.file.string(), LargeFileShape(), large.contents);
  });
  return large;
}

}  // namespace bench
