// Whole-file reads and writes for tests: bytes, lines, sizes and placeholder files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

// The bytes of a file from `offset` on; empty when the file cannot be read.
std::string ReadFile(const std::filesystem::path& file, std::size_t offset = 0);

// The size of a file in bytes; 0 when it does not exist.
std::size_t FileSize(const std::filesystem::path& file);

// Replaces the file's content with `bytes`, making its folders first; returns the file.
std::filesystem::path WriteFile(const std::filesystem::path& file, const std::string& bytes);

// The lines of a text file, without their ends (none when it does not exist).
std::vector<std::string> ReadLines(const std::filesystem::path& file);

// Creates a small regular file.
void Touch(const std::filesystem::path& file);

}  // namespace test_support
