// Reads a material record (the <Material> text that AddMaterial receives) into values: colours
// as bytes, numbers as doubles, texture references in record order.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex_bridge {

struct TextureRecord {
  std::string role;  // the element name: DiffuseTexture, BumpTexture, MaskTexture, ...
  std::string path;
  double brightness = 1.0;
  bool explicitTransform = false;
  double width = 1.0;  // width, height and rotation only with an explicit transform
  double height = 1.0;
  double rotationDegrees = 0.0;
};

struct MaterialRecord {
  std::string name;
  double opacity = 1.0;
  std::array<int, 3> diffuse{255, 255, 255};  // red, green, blue, 0 to 255
  std::array<int, 3> emissive{0, 0, 0};
  double emissiveStrength = 0.0;
  double roughness = 0.5;
  double bumpAmount = 1.0;
  double metallic = 0.0;
  double specular = 0.0;
  double indexOfRefraction = 1.5;
  std::vector<TextureRecord> textures;
  // The record of a material with no physically based part. The plug-in's
  // basic conversion writes the one of Metallic and Specular that its Fresnel
  // setting leaves unused as the short "0.0", which the physically based one,
  // writing both as %f does, never writes; its Roughness is the gloss (Shine,
  // 0 to 255).
  bool basic = false;
};

// The record's values. A value whose text does not read (a colour not of the form #RRGGBB, a
// number that is not finite, an element that is missing) keeps its default above. A text that
// is not well-formed XML, or whose root element is not Material, gives none and says why in
// `error`.
std::optional<MaterialRecord> ReadMaterialRecord(std::string_view xml, std::string& error);

// A finite number written as the whole text ("0.500000", "1.0"), or none.
std::optional<double> NumberFromText(std::string_view text);
// The three channels of a colour text "#RRGGBB", or none.
std::optional<std::array<int, 3>> ColourFromText(std::string_view text);

}  // namespace orvex_bridge
