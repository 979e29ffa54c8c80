// The host's document readers on any bytes: a .3dm file (bytes that start as
// one) or a document file. Each either fills a document or names the file in
// its error, and never both.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "document_reader.h"
#include "fuzz_support.h"
#include "model_file_reader.h"

namespace {

// The .3dm reader reads files: the bytes go to one file of this process.
std::string ModelFile(const std::string& bytes) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("orvex-fuzz-" + std::to_string(getpid()) + ".3dm"))
          .string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  static const std::string kModelStart = "3D Geometry File Format";
  const bool model = text.compare(0, kModelStart.size(), kModelStart) == 0;
  const std::string fileName = model ? ModelFile(text) : "fuzz.orvexdoc.json";
  const DocumentReadResult result =
      model ? ReadModelFile(fileName)
            : ReadDocumentText(text, fileName, L"/fuzz/projects/fuzz.orvexdoc.json");
  if (result.error.empty() != (result.doc != nullptr))
    orvex_fuzz::Fail("document reader", "a document and an error, or neither: " + result.error);
  if (!result.error.empty() && result.error.rfind(fileName + ": ", 0) != 0)
    orvex_fuzz::Fail("document reader", "the error does not name the file: " + result.error);
  if (result.view && !result.hasView)
    orvex_fuzz::Fail("document reader", "a view without the file asking for one");
  return 0;
}
