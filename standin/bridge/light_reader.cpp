#include "standin/bridge/light_reader.h"

#include <cstring>
#include <pugixml.hpp>

#include "standin/bridge/record_reader.h"

namespace orvex_bridge {
namespace {

std::string_view Trimmed(std::string_view text) {
  const char* blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

double NumberOr(const pugi::xml_node& parent, const char* name, double fallback) {
  return NumberFromText(Trimmed(parent.child(name).text().get())).value_or(fallback);
}

std::optional<LightRecord> ReadLight(const pugi::xml_node& node, std::string& problem) {
  LightRecord light;
  light.id = node.child("LightId").text().get();
  light.groupId = node.child("ParentGroupId").text().get();
  light.name = node.child("LightName").text().get();
  const auto type = NumberFromText(Trimmed(node.child("type").text().get()));
  if (!type || (*type != 0 && *type != 1 && *type != 2 && *type != 3)) {
    problem =
        "light " + light.name + " has the unknown type \"" + node.child("type").text().get() + "\"";
    return std::nullopt;
  }
  light.kind = static_cast<LightKind>(static_cast<int>(*type));
  const auto transform = TransformFromText(node.child("Transform").text().get());
  if (!transform) {
    problem = "light " + light.name + " has no transform of sixteen finite numbers";
    return std::nullopt;
  }
  light.transform = *transform;
  light.sizeX = NumberOr(node, "SizeX", 0.0);
  light.sizeY = NumberOr(node, "SizeY", 0.0);
  light.brightness = NumberOr(node, "Brightness", 0.0);
  return light;
}

}  // namespace

std::optional<std::array<double, 16>> TransformFromText(std::string_view text) {
  std::array<double, 16> values{};
  std::size_t count = 0;
  while (true) {
    const auto comma = text.find(',');
    const auto number = NumberFromText(Trimmed(text.substr(0, comma)));
    if (!number || count == values.size()) return std::nullopt;
    values[count++] = *number;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (count != values.size()) return std::nullopt;
  return values;
}

LightDescription ReadLightDescription(std::string_view xml, std::vector<std::string>& problems) {
  LightDescription description;
  if (Trimmed(xml).empty()) return description;
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
  if (!parsed) {
    problems.push_back(
        "the light description does not parse: " + std::string(parsed.description()) +
        " at offset " + std::to_string(parsed.offset));
    return description;
  }
  const pugi::xml_node root = document.document_element();
  if (std::strcmp(root.name(), "Root") != 0) {
    problems.push_back("the light description's root element is <" + std::string(root.name()) +
                       ">, not <Root>");
    return description;
  }
  for (const pugi::xml_node& child : root.children()) {
    if (std::strcmp(child.name(), "LightGroup") == 0) {
      description.groups.push_back({child.child("GroupId").text().get(),
                                    child.child("ParentGroupId").text().get(),
                                    child.child("GroupName").text().get()});
    } else if (std::strcmp(child.name(), "LightSource") == 0) {
      std::string problem;
      if (auto light = ReadLight(child, problem)) {
        description.lights.push_back(std::move(*light));
      } else {
        problems.push_back(std::move(problem));
      }
    }
  }
  return description;
}

}  // namespace orvex_bridge
