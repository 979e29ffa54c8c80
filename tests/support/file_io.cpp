#include "tests/support/file_io.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace test_support {

std::string ReadFile(const std::filesystem::path& file, std::size_t offset) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::string();
  in.seekg(static_cast<std::streamoff>(offset));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t FileSize(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  return error ? 0 : static_cast<std::size_t>(size);
}

std::filesystem::path WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  return file;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void Touch(const std::filesystem::path& file) { std::ofstream(file, std::ios::binary).put('x'); }

}  // namespace test_support
