#include "standin/bridge/texture_files.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <utility>

namespace orvex_bridge {
namespace fs = std::filesystem;

namespace {

bool IsUriSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

}  // namespace

std::string ImageMimeType(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char head[8] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return {};
  static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (std::equal(head, head + 8, kPng)) return "image/png";
  if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return "image/jpeg";
  return {};
}

TextureFiles::TextureFiles(std::vector<fs::path> searchFolders)
    : searchFolders_(std::move(searchFolders)) {}

std::optional<fs::path> TextureFiles::Locate(const std::string& path) const {
  std::error_code error;
  const fs::path given = fs::u8path(path);
  std::vector<fs::path> candidates;
  if (given.is_absolute()) {
    candidates.push_back(given);
  } else {
    for (const fs::path& folder : searchFolders_) candidates.push_back(folder / given);
  }
  for (const fs::path& candidate : candidates) {
    if (fs::is_regular_file(candidate, error)) return fs::weakly_canonical(candidate, error);
  }
  return std::nullopt;
}

std::string TextureFiles::UniqueUri(const fs::path& source) {
  std::string stem;
  for (const char c : source.stem().u8string()) stem += IsUriSafe(c) ? c : '_';
  std::string extension;
  for (const char c : source.extension().u8string()) extension += IsUriSafe(c) ? c : '_';
  if (stem.empty()) stem = "image";
  std::string uri = "textures/" + stem + extension;
  for (int n = 2;; ++n) {
    bool taken = false;
    for (const TextureImage& image : images_) taken = taken || image.uri == uri;
    if (!taken) return uri;
    uri = "textures/" + stem + "-" + std::to_string(n) + extension;
  }
}

std::optional<int> TextureFiles::Find(const std::string& path, std::string& problem) {
  const auto known = byPath_.find(path);
  if (known != byPath_.end()) return known->second;
  std::optional<int> index;
  const std::optional<fs::path> source = Locate(path);
  if (!source) {
    problem = "the image " + path + " is not found";
  } else if (const auto same = bySource_.find(source->u8string()); same != bySource_.end()) {
    index = same->second;
  } else if (const std::string mimeType = ImageMimeType(*source); mimeType.empty()) {
    problem = "the image " + path + " is neither PNG nor JPEG";
  } else {
    index = static_cast<int>(images_.size());
    images_.push_back({*source, UniqueUri(*source), mimeType});
    bySource_.emplace(source->u8string(), *index);
  }
  byPath_.emplace(path, index);
  return index;
}

void TextureFiles::CopyInto(const fs::path& folder, std::vector<std::string>& problems) const {
  for (const TextureImage& image : images_) {
    std::error_code error;
    const fs::path target = folder / fs::u8path(image.uri);
    fs::create_directories(target.parent_path(), error);
    fs::copy_file(image.source, target, fs::copy_options::overwrite_existing, error);
    if (error) {
      problems.push_back("the image " + image.source.u8string() + " could not be copied to " +
                         target.u8string() + ": " + error.message());
    }
  }
}

}  // namespace orvex_bridge
