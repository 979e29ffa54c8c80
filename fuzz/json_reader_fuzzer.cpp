// The JSON reader on any bytes: it must end on every input, within the nesting
// limit, without reading outside its text, and give the same answer each time.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "services/json_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream first(text);
  services::json::Object object;
  const bool parsed = services::json::ParseObject(first, object);
  // A second reader of the same text agrees, and the object it fills is emptied first.
  std::istringstream second(text);
  const bool again = services::json::ParseObject(second, object);
  if (parsed != again) orvex_fuzz::Fail("json reader", "two reads of one text disagree");
  // The update check reads the version member this way.
  if (object.has<services::json::String>("version"))
    (void)object.get<services::json::String>("version").size();
  return 0;
}
