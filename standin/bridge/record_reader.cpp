#include "standin/bridge/record_reader.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>

namespace orvex_bridge {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void ReadNumber(const pugi::xml_node& parent, const char* name, double& value) {
  const pugi::xml_node child = parent.child(name);
  if (!child) return;
  if (const auto number = NumberFromText(child.text().get())) value = *number;
}

void ReadColour(const pugi::xml_node& parent, const char* name, std::array<int, 3>& value) {
  const pugi::xml_node child = parent.child(name);
  if (!child) return;
  if (const auto colour = ColourFromText(child.text().get())) value = *colour;
}

bool IsTextureRole(const char* name) {
  static const char* const kRoles[] = {"DiffuseTexture", "BumpTexture",     "MaskTexture",
                                       "MetalTexture",   "SpecularTexture", "RoughnessTexture"};
  for (const char* role : kRoles) {
    if (std::strcmp(name, role) == 0) return true;
  }
  return false;
}

TextureRecord ReadTexture(const pugi::xml_node& node) {
  TextureRecord texture;
  texture.role = node.name();
  texture.path = node.child("Filepath").text().get();
  ReadNumber(node, "Brightness", texture.brightness);
  texture.explicitTransform =
      std::strcmp(node.child("UseExplicitTransformation").text().get(), "true") == 0;
  if (texture.explicitTransform) {
    ReadNumber(node, "Width", texture.width);
    ReadNumber(node, "Height", texture.height);
    ReadNumber(node, "Rotation", texture.rotationDegrees);
  }
  return texture;
}

}  // namespace

std::optional<double> NumberFromText(std::string_view text) {
  const std::string copy(text);
  if (copy.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::array<int, 3>> ColourFromText(std::string_view text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  std::array<int, 3> colour{};
  for (int channel = 0; channel < 3; ++channel) {
    const int high = HexDigit(text[1 + 2 * channel]);
    const int low = HexDigit(text[2 + 2 * channel]);
    if (high < 0 || low < 0) return std::nullopt;
    colour[channel] = high * 16 + low;
  }
  return colour;
}

std::optional<MaterialRecord> ReadMaterialRecord(std::string_view xml, std::string& error) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
  if (!parsed) {
    error = std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset);
    return std::nullopt;
  }
  const pugi::xml_node root = document.document_element();
  if (std::strcmp(root.name(), "Material") != 0) {
    error = "the root element is <" + std::string(root.name()) + ">, not <Material>";
    return std::nullopt;
  }
  MaterialRecord record;
  record.name = root.child("Name").text().get();
  ReadNumber(root, "Opacity", record.opacity);
  ReadColour(root, "DiffuseColor", record.diffuse);
  ReadColour(root, "EmissiveColor", record.emissive);
  ReadNumber(root, "EmissiveStrength", record.emissiveStrength);
  ReadNumber(root, "Roughness", record.roughness);
  ReadNumber(root, "BumpAmount", record.bumpAmount);
  ReadNumber(root, "Metallic", record.metallic);
  ReadNumber(root, "Specular", record.specular);
  ReadNumber(root, "IndexOfRefraction", record.indexOfRefraction);
  record.basic = std::strcmp(root.child("Metallic").text().get(), "0.0") == 0 ||
                 std::strcmp(root.child("Specular").text().get(), "0.0") == 0;
  for (const pugi::xml_node& child : root.children()) {
    if (child.type() == pugi::node_element && IsTextureRole(child.name())) {
      record.textures.push_back(ReadTexture(child));
    }
  }
  return record;
}

}  // namespace orvex_bridge
