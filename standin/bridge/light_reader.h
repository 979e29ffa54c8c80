// Reads a light description (the <Root> text that SendLightsDataXml receives): the light groups
// and the light sources, in text order.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex_bridge {

struct LightGroupRecord {
  std::string id;
  std::string parentId;
  std::string name;
};

enum class LightKind { kPoint = 0, kSpot = 1, kLinear = 2, kRectangular = 3 };

struct LightRecord {
  std::string id;
  std::string groupId;
  std::string name;
  LightKind kind = LightKind::kPoint;
  std::array<double, 16> transform{};  // row-vector form, row by row; row 3 = position (cm)
  double sizeX = 0.0;                  // centimetres; linear and rectangular lights only
  double sizeY = 0.0;
  double brightness = 0.0;
};

struct LightDescription {
  std::vector<LightGroupRecord> groups;
  std::vector<LightRecord> lights;
};

// The groups and lights of the text; an empty text describes no light. A light whose type is
// unknown, or whose transform is not sixteen finite numbers, is left out; a text that is not
// well-formed XML, or whose root element is not Root, describes nothing. Each of these adds a
// sentence to `problems`.
LightDescription ReadLightDescription(std::string_view xml, std::vector<std::string>& problems);

// Sixteen finite numbers separated by commas (blanks around them allowed), or none.
std::optional<std::array<double, 16>> TransformFromText(std::string_view text);

}  // namespace orvex_bridge
