// The material records and texture blocks of a material filled from the fuzz
// input: random names, image paths, colours, numbers (non-finite ones too) and
// texture transforms. Every record is one well-formed <Material> element that
// carries the name, and every texture block its path, unchanged but for the
// characters XML may not hold.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>

#include "common/sdk_text.h"
#include "fuzz_support.h"
#include "material/material_conversion.h"
#include "material/texture_block.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace {

using common::WideText;

using TextureType = ON_Texture::TYPE;

constexpr TextureType kTextureTypes[] = {
    TextureType::no_texture_type,       TextureType::bitmap_texture,
    TextureType::bump_texture,          TextureType::transparency_texture,
    TextureType::pbr_metallic_texture,  TextureType::pbr_specular_texture,
    TextureType::pbr_roughness_texture, TextureType::pbr_subsurface_texture,
    TextureType::emap_texture};

ON_4fColor AnyColour(FuzzedDataProvider& input) {
  return ON_4fColor(static_cast<float>(orvex_fuzz::AnyNumber(input)),
                    static_cast<float>(orvex_fuzz::AnyNumber(input)),
                    static_cast<float>(orvex_fuzz::AnyNumber(input)),
                    static_cast<float>(orvex_fuzz::AnyNumber(input)));
}

ON_Material MaterialFrom(FuzzedDataProvider& input) {
  ON_Material material;
  material.SetName(orvex_fuzz::UserText(input, 96).c_str());
  ON_UUID id;
  id.Data1 = input.ConsumeIntegral<uint32_t>();
  id.Data2 = input.ConsumeIntegral<uint16_t>();
  id.Data3 = input.ConsumeIntegral<uint16_t>();
  for (unsigned char& byte : id.Data4) byte = input.ConsumeIntegral<unsigned char>();
  material.SetRdkMaterialInstanceId(id);
  material.m_diffuse = ON_Color(input.ConsumeIntegral<unsigned int>());
  material.m_emission = ON_Color(input.ConsumeIntegral<unsigned int>());
  material.m_transparency = orvex_fuzz::AnyNumber(input);
  material.m_reflectivity = orvex_fuzz::AnyNumber(input);
  material.SetFresnelReflections(input.ConsumeBool());
  material.m_shine = orvex_fuzz::AnyNumber(input);
  material.m_index_of_refraction = orvex_fuzz::AnyNumber(input);
  if (input.ConsumeBool()) {
    material.ToPhysicallyBased();
    const std::shared_ptr<ON_PhysicallyBasedMaterial> pbr = material.PhysicallyBased();
    pbr->SetBaseColor(AnyColour(input));
    pbr->SetEmission(AnyColour(input));
    pbr->SetOpacity(orvex_fuzz::AnyNumber(input));
    pbr->SetRoughness(orvex_fuzz::AnyNumber(input));
    pbr->SetMetallic(orvex_fuzz::AnyNumber(input));
    pbr->SetSpecular(orvex_fuzz::AnyNumber(input));
    pbr->SetOpacityIOR(orvex_fuzz::AnyNumber(input));
  }
  const int textures = input.ConsumeIntegralInRange<int>(0, 6);
  for (int i = 0; i < textures; ++i) {
    ON_Texture& texture = material.m_textures.AppendNew();
    texture.m_type = input.PickValueInArray(kTextureTypes);
    texture.m_bOn = input.ConsumeBool();
    texture.m_image_file_reference =
        host::FileReferenceAsWritten(orvex_fuzz::UserText(input, 160).c_str());
    texture.m_blend_constant_A = orvex_fuzz::AnyNumber(input);
    if (input.ConsumeBool()) {
      for (auto& row : texture.m_uvw.m_xform)
        for (double& entry : row) entry = orvex_fuzz::AnyNumber(input);
    }
  }
  return material;
}

// The text as the record should carry it.
std::string Carried(const ON_wString& text) {
  return platform::WideToUtf8(orvex_fuzz::AsXmlText(WideText(text)));
}

void CheckRecord(const std::wstring& record, const ON_Material& material, const char* what) {
  const std::string utf8 = orvex_fuzz::RequireXmlElement(record, what);
  pugi::xml_document xml;
  xml.load_buffer(utf8.data(), utf8.size(), pugi::parse_escapes | pugi::parse_ws_pcdata,
                  pugi::encoding_utf8);
  const pugi::xml_node root = xml.first_child();
  if (std::string(root.name()) != "Material") orvex_fuzz::Fail(what, "root is not Material");
  const std::string name = root.child("Name").text().get();
  if (name != Carried(material.Name()))
    orvex_fuzz::Fail(what, "the name changed on its way: " + orvex_fuzz::Hex(name) + "instead of " +
                               orvex_fuzz::Hex(Carried(material.Name())));
}

void CheckTextureBlock(const ON_Texture& texture) {
  const std::wstring block = material::TextureBlock(&texture);
  const ON_wString& path = texture.m_image_file_reference.FullPath();
  if (path.IsEmpty()) {
    if (!block.empty()) orvex_fuzz::Fail("texture block", "a block for an empty path");
    return;
  }
  const std::string utf8 =
      orvex_fuzz::RequireXmlElement(L"<Texture>" + block + L"</Texture>", "texture block");
  pugi::xml_document xml;
  xml.load_buffer(utf8.data(), utf8.size(), pugi::parse_escapes | pugi::parse_ws_pcdata,
                  pugi::encoding_utf8);
  if (xml.first_child().child("Filepath").text().get() != Carried(path))
    orvex_fuzz::Fail("texture block", "the path changed on its way: " + utf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const ON_Material material = MaterialFrom(input);
  CheckRecord(material::BasicMaterialRecord(material), material, "basic material record");
  CheckRecord(material::PhysicallyBasedMaterialRecord(material), material,
              "physically based material record");
  CheckRecord(material::MaterialRecordOf(material), material, "material record");
  for (int i = 0; i < material.m_textures.Count(); ++i) CheckTextureBlock(material.m_textures[i]);
  return 0;
}
