#include "document_reader.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

#include "document_builder.h"
#include "document_file_parser.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"

bool UnitSystemFromName(const std::string& name, ON::LengthUnitSystem* units) {
  using U = ON::LengthUnitSystem;
  static const std::pair<const char*, U> kNames[] = {{"none", U::None},
                                                     {"unset", U::Unset},
                                                     {"microns", U::Microns},
                                                     {"millimeters", U::Millimeters},
                                                     {"centimeters", U::Centimeters},
                                                     {"meters", U::Meters},
                                                     {"kilometers", U::Kilometers},
                                                     {"inches", U::Inches},
                                                     {"feet", U::Feet},
                                                     {"yards", U::Yards},
                                                     {"miles", U::Miles}};
  for (const auto& [text, value] : kNames)
    if (name == text) {
      *units = value;
      return true;
    }
  return false;
}

DocumentReadResult ReadDocumentText(const std::string& text, const std::string& fileName,
                                    const std::wstring& absolutePath) {
  DocumentReadResult result;
  nlohmann::json root;
  if (!document_file::ParseJsonText(text, fileName, &root, &result.error)) return result;
  auto doc = std::make_unique<CRhinoDoc>();
  doc->SetPathName(host::OnText(absolutePath));
  document_file::DocumentDescription description;
  try {
    description = document_file::ParseDocument(root);
    root = nlohmann::json();  // the tree is not needed while the document is made
    document_file::BuildDocument(description, *doc);
  } catch (const std::exception& e) {
    result.error = fileName + ": " + e.what();
    return result;
  }
  result.doc = std::move(doc);
  result.notices = std::move(description.notices);
  result.hasView = description.hasView;
  result.view = description.view;
  return result;
}

DocumentReadResult ReadDocumentFile(const std::string& path) {
  const std::filesystem::path file_path = std::filesystem::u8path(path);
  std::ifstream file(file_path, std::ios::binary);
  if (!file) {
    DocumentReadResult result;
    result.error = path + ": cannot be opened";
    return result;
  }
  std::stringstream text;
  text << file.rdbuf();
  std::error_code ec;
  // Absolute and without "." or ".." parts, as a saved document's path is.
  const std::filesystem::path absolute =
      std::filesystem::absolute(file_path, ec).lexically_normal();
  auto wide = platform::Utf8ToWide(absolute.u8string());
  return ReadDocumentText(text.str(), path, wide ? *wide : std::wstring());
}
