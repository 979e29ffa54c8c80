// The host's document file reader on any bytes: it either fills a document or
// names the file in its error, and never both.
#include <cstddef>
#include <cstdint>
#include <string>

#include "document_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string fileName = "fuzz.orvexdoc.json";
  const DocumentReadResult result =
      ReadDocumentText(text, fileName, L"/fuzz/projects/fuzz.orvexdoc.json");
  if (result.error.empty() != (result.doc != nullptr))
    orvex_fuzz::Fail("document reader", "a document and an error, or neither: " + result.error);
  if (!result.error.empty() && result.error.rfind(fileName + ": ", 0) != 0)
    orvex_fuzz::Fail("document reader", "the error does not name the file: " + result.error);
  if (result.view && !result.hasView)
    orvex_fuzz::Fail("document reader", "a view without the file asking for one");
  return 0;
}
