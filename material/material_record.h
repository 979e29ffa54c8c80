// The material record: the text that tells the renderer what a material looks
// like. Fifteen elements in a fixed order, then the texture elements, inside
// <Material>...</Material>, with no declaration, attributes or white space.
#pragma once

#include <string>

namespace material {

// The sixteen values of a record. The fixed values start with their literal
// texts; the others are filled by the conversions.
struct MaterialRecordValues {
  std::wstring name;  // the material's own name, as the host gives it
  std::wstring type = L"Custom";
  std::wstring opacity;  // "1.0", "0.0" or a number, 0 transparent to 1 opaque
  std::wstring diffuse_colour;
  std::wstring emissive_colour;
  std::wstring emissive_strength;  // "0.0" or "10000.0"
  std::wstring tint_colour = L"#FFFFFF";
  std::wstring roughness;
  std::wstring bump_amount = L"1.0";
  std::wstring metallic;
  std::wstring specular;
  std::wstring index_of_refraction;
  std::wstring is_solid_glass = L"false";
  std::wstring texture_width = L"1.0";
  std::wstring texture_height = L"1.0";
  std::wstring textures;  // the texture elements, back to back (already escaped)
};

// Assembles the record. The name is escaped (markup characters), so that the
// record is well-formed XML; an ordinary name stays as it is. The other values
// are taken as given.
std::wstring MaterialRecord(const MaterialRecordValues& values);

}  // namespace material
