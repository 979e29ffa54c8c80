#include "material/material_conversion.h"

#include <memory>

#include "material/colour_text.h"
#include "material/material_record.h"
#include "material/texture_block.h"
#include "record_text/number_text.h"

namespace material {

using record_text::NumberText;

namespace {

using TextureType = ON_Texture::TYPE;

std::wstring NameOf(const ON_Material& material) {
  const ON_wString name = material.Name();
  return std::wstring(name.Array(), static_cast<std::size_t>(name.Length()));
}

void AppendElement(std::wstring& textures, const wchar_t* tag, const std::wstring& block) {
  textures += L'<';
  textures += tag;
  textures += L'>';
  textures += block;
  textures += L"</";
  textures += tag;
  textures += L'>';
}

// Visits the material's textures in list order. Switched-off textures change
// nothing. A bump texture sets the bump amount to ten times its amount even
// when it has no image; a transparency texture with an image makes the opacity
// "0.0". Metallic, specular and roughness images travel only when the
// conversion is physically based; every other role is left out.
void ApplyTextures(const ON_Material& material, bool physically_based,
                   MaterialRecordValues& values) {
  const ON_ObjectArray<ON_Texture>& list = material.m_textures;
  for (int i = 0; i < list.Count(); ++i) {
    const ON_Texture& texture = list[i];
    if (!texture.m_bOn) continue;
    const std::wstring block = TextureBlock(&texture);
    switch (texture.m_type) {
      case TextureType::bump_texture:
        if (!block.empty()) AppendElement(values.textures, L"BumpTexture", block);
        values.bump_amount = NumberText(texture.m_blend_constant_A * 10.0);
        break;
      case TextureType::transparency_texture:
        if (block.empty()) break;
        AppendElement(values.textures, L"MaskTexture", block);
        values.opacity = L"0.0";
        break;
      case TextureType::bitmap_texture:
        if (!block.empty()) AppendElement(values.textures, L"DiffuseTexture", block);
        break;
      case TextureType::pbr_metallic_texture:
        if (physically_based && !block.empty())
          AppendElement(values.textures, L"MetalTexture", block);
        break;
      case TextureType::pbr_specular_texture:
        if (physically_based && !block.empty())
          AppendElement(values.textures, L"SpecularTexture", block);
        break;
      case TextureType::pbr_roughness_texture:
        if (physically_based && !block.empty())
          AppendElement(values.textures, L"RoughnessTexture", block);
        break;
      default: break;
    }
  }
}

}  // namespace

std::wstring BasicMaterialRecord(const ON_Material& material) {
  MaterialRecordValues values;
  values.name = NameOf(material);
  const double transparency = material.Transparency();
  values.opacity = transparency == 0.0 ? L"1.0" : NumberText(1.0 - transparency);
  values.diffuse_colour = ColourText(material.Diffuse());
  const ON_Color emission = material.Emission();
  values.emissive_colour = ColourText(emission);
  // Compared as packed values: a black with a non-zero alpha byte glows.
  values.emissive_strength =
      static_cast<unsigned int>(emission) == static_cast<unsigned int>(ON_Color::Black)
          ? L"0.0"
          : L"10000.0";
  values.roughness = NumberText(material.Shine());
  const std::wstring reflectivity = NumberText(material.Reflectivity());
  if (material.FresnelReflections()) {
    values.metallic = L"0.0";
    values.specular = reflectivity;
  } else {
    values.metallic = reflectivity;
    values.specular = L"0.0";
  }
  values.index_of_refraction = NumberText(material.m_index_of_refraction);
  ApplyTextures(material, false, values);
  return MaterialRecord(values);
}

std::wstring PhysicallyBasedMaterialRecord(const ON_Material& material) {
  const std::shared_ptr<ON_PhysicallyBasedMaterial> view = material.PhysicallyBased();
  if (!view) return BasicMaterialRecord(material);

  MaterialRecordValues values;
  values.name = NameOf(material);
  values.opacity = NumberText(view->Opacity());
  values.diffuse_colour = ColourText(view->BaseColor());
  values.emissive_colour = ColourText(view->Emission());
  values.emissive_strength = values.emissive_colour == L"#000000" ? L"0.0" : L"10000.0";
  values.roughness = NumberText(view->Roughness());
  values.metallic = NumberText(view->Metallic());
  values.specular = NumberText(view->Specular() / 3.0);
  values.index_of_refraction = NumberText(view->OpacityIOR());
  ApplyTextures(material, true, values);
  return MaterialRecord(values);
}

std::wstring MaterialRecordOf(const ON_Material& material) {
  return material.IsPhysicallyBased() ? PhysicallyBasedMaterialRecord(material)
                                      : BasicMaterialRecord(material);
}

}  // namespace material
