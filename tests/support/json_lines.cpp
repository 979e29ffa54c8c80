#include "tests/support/json_lines.h"

#include <sstream>
#include <string>

#include "tests/support/file_io.h"

namespace test_support {

std::vector<nlohmann::json> ReadJsonObjects(const std::filesystem::path& file, std::size_t offset) {
  std::vector<nlohmann::json> objects;
  std::istringstream lines(ReadFile(file, offset));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) objects.push_back(nlohmann::json::parse(line));
  return objects;
}

}  // namespace test_support
