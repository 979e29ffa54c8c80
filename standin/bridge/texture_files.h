// The image files that materials name, as glTF images beside the written file. A path is used
// as it is when absolute; a relative one is looked up in the search folders in order. Only PNG
// and JPEG files (told by their first bytes) are taken, and each is copied once into the
// output folder's textures/ folder under its own file name, made unique and URI-safe.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvex_bridge {

struct TextureImage {
  std::filesystem::path source;
  std::string uri;  // relative to the glTF file: textures/NAME
  std::string mimeType;
};

class TextureFiles {
 public:
  explicit TextureFiles(std::vector<std::filesystem::path> searchFolders);

  // The index of the image for `path` in images(), or none with the reason in `problem` (set
  // only on the first lookup of that path).
  std::optional<int> Find(const std::string& path, std::string& problem);
  const std::vector<TextureImage>& images() const { return images_; }

  // Copies every image to `folder`/uri; a copy that fails adds a sentence to `problems`.
  void CopyInto(const std::filesystem::path& folder, std::vector<std::string>& problems) const;

 private:
  std::optional<std::filesystem::path> Locate(const std::string& path) const;
  std::string UniqueUri(const std::filesystem::path& source);

  std::vector<std::filesystem::path> searchFolders_;
  std::vector<TextureImage> images_;
  std::map<std::string, std::optional<int>> byPath_;
  std::map<std::string, int> bySource_;
};

// "image/png", "image/jpeg", or empty when the file is neither (or cannot be read).
std::string ImageMimeType(const std::filesystem::path& file);

}  // namespace orvex_bridge
