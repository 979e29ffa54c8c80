#include "material/material_record.h"

#include "record_text/markup_escape.h"

namespace material {

using record_text::EscapeMarkup;

std::wstring MaterialRecord(const MaterialRecordValues& values) {
  std::wstring record(L"<Material><Name>");
  record += EscapeMarkup(values.name);
  record += L"</Name><Type>";
  record += values.type;
  record += L"</Type><Opacity>";
  record += values.opacity;
  record += L"</Opacity><DiffuseColor>";
  record += values.diffuse_colour;
  record += L"</DiffuseColor><EmissiveColor>";
  record += values.emissive_colour;
  record += L"</EmissiveColor><EmissiveStrength>";
  record += values.emissive_strength;
  record += L"</EmissiveStrength><TintColor>";
  record += values.tint_colour;
  record += L"</TintColor><Roughness>";
  record += values.roughness;
  record += L"</Roughness><BumpAmount>";
  record += values.bump_amount;
  record += L"</BumpAmount><Metallic>";
  record += values.metallic;
  record += L"</Metallic><Specular>";
  record += values.specular;
  record += L"</Specular><IndexOfRefraction>";
  record += values.index_of_refraction;
  record += L"</IndexOfRefraction><IsSolidGlass>";
  record += values.is_solid_glass;
  record += L"</IsSolidGlass><TextureWidth>";
  record += values.texture_width;
  record += L"</TextureWidth><TextureHeight>";
  record += values.texture_height;
  record += L"</TextureHeight>";
  record += values.textures;
  record += L"</Material>";
  return record;
}

}  // namespace material
