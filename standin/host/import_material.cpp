#include "import_material.h"

#include <assimp/GltfMaterial.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace fs = std::filesystem;

namespace {

std::optional<double> Number(const aiMaterial& m, const char* key, unsigned type, unsigned index) {
  ai_real value = 0;
  unsigned count = 1;
  if (aiGetMaterialFloatArray(&m, key, type, index, &value, &count) != AI_SUCCESS || count != 1)
    return std::nullopt;
  return static_cast<double>(value);
}

std::optional<aiColor4D> Colour(const aiMaterial& m, const char* key, unsigned type,
                                unsigned index) {
  aiColor4D colour;
  if (aiGetMaterialColor(&m, key, type, index, &colour) != AI_SUCCESS) return std::nullopt;
  return colour;
}

// A colour channel 0..1 as a byte; out-of-range and NaN channels are limited.
int Byte(float channel) {
  if (!(channel > 0.0f)) return 0;
  if (channel >= 1.0f) return 255;
  return static_cast<int>(channel * 255.0f + 0.5f);
}

ON_Color ByteColour(const aiColor4D& c) { return ON_Color(Byte(c.r), Byte(c.g), Byte(c.b)); }

std::wstring Wide(const std::string& utf8) {
  auto wide = platform::Utf8ToWide(utf8);
  return wide ? *wide : std::wstring();
}

bool IsForeignAbsolute(const std::string& path) {
  const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                     path[1] == ':' && (path[2] == '/' || path[2] == '\\');
  const bool share = path.size() >= 2 && (path[0] == '/' || path[0] == '\\') &&
                     (path[1] == '/' || path[1] == '\\');
  return drive || share;
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file name made of safe characters only.
std::string SafeName(const std::string& name) {
  std::string safe;
  for (char c : name)
    safe +=
        (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_') ? c : '_';
  return safe;
}

// Uncompressed images (texels b, g, r, a) as a 32-bit TGA file, top row first.
bool WriteTga(const fs::path& path, const aiTexture& texture) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  const unsigned w = texture.mWidth, h = texture.mHeight;
  const unsigned char header[18] = {0,
                                    0,
                                    2,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    static_cast<unsigned char>(w & 0xFF),
                                    static_cast<unsigned char>((w >> 8) & 0xFF),
                                    static_cast<unsigned char>(h & 0xFF),
                                    static_cast<unsigned char>((h >> 8) & 0xFF),
                                    32,
                                    0x28};
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  out.write(reinterpret_cast<const char*>(texture.pcData),
            static_cast<std::streamsize>(size_t(w) * h * sizeof(aiTexel)));
  return static_cast<bool>(out);
}

// One texture of the material in the given role, when the material has one.
void AddTexture(const aiMaterial& m, aiTextureType type, ON_Texture::TYPE role, double amount,
                TextureFiles& files, ON_Material& material) {
  aiString reference;
  if (m.GetTexture(type, 0, &reference) != AI_SUCCESS) return;
  const std::wstring path = files.Resolve(reference.C_Str());
  if (path.empty()) return;
  ON_Texture texture;
  texture.m_type = role;
  texture.m_bOn = true;
  texture.m_image_file_reference = host::FileReferenceAsWritten(path.c_str());
  texture.m_blend_constant_A = amount;
  ai_real uv[5];
  unsigned count = 5;
  if (aiGetMaterialFloatArray(&m, _AI_MATKEY_UVTRANSFORM_BASE, type, 0, uv, &count) == AI_SUCCESS &&
      count == 5) {
    aiUVTransform transform;
    transform.mTranslation = aiVector2D(uv[0], uv[1]);
    transform.mScaling = aiVector2D(uv[2], uv[3]);
    transform.mRotation = uv[4];
    texture.m_uvw = TextureXform(transform);
  }
  material.m_textures.Append(texture);
}

aiTextureType FirstPresent(const aiMaterial& m, std::initializer_list<aiTextureType> types) {
  for (aiTextureType type : types)
    if (m.GetTextureCount(type) > 0) return type;
  return aiTextureType_NONE;
}

}  // namespace

std::wstring TextureFiles::WriteEmbedded(int index) {
  if (auto it = m_written.find(index); it != m_written.end()) return it->second;
  const aiTexture& texture = *m_scene.mTextures[index];
  std::string name = SafeName(FileNamePart(texture.mFilename.C_Str()));
  if (name.empty() || name == "." || name == "..") name = "texture";
  const bool compressed = texture.mHeight == 0;
  std::string hint = SafeName(
      std::string(texture.achFormatHint, strnlen(texture.achFormatHint, HINTMAXTEXTURELEN)));
  if (!compressed)
    name += ".tga";
  else if (fs::path(name).extension().empty())
    name += "." + (hint.empty() ? std::string("bin") : hint);
  const fs::path path = m_embedded_folder / (std::to_string(index) + "_" + name);

  bool written = false;
  std::error_code ec;
  fs::create_directories(m_embedded_folder, ec);
  if (texture.pcData && texture.mWidth > 0) {
    if (compressed) {
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(texture.pcData),
                static_cast<std::streamsize>(texture.mWidth));
      written = static_cast<bool>(out);
    } else {
      written = WriteTga(path, texture);
    }
  }
  return m_written[index] = written ? Wide(path.string()) : std::wstring();
}

std::wstring TextureFiles::Resolve(const std::string& reference) {
  if (reference.empty()) return std::wstring();
  const auto [embedded, index] = m_scene.GetEmbeddedTextureAndIndex(reference.c_str());
  if (embedded) return WriteEmbedded(index);

  std::string text = reference;
  if (text.rfind("file://", 0) == 0) text = text.substr(7);
  if (IsForeignAbsolute(text)) {
    const fs::path beside = m_model_folder / FileNamePart(text);
    std::error_code ec;
    return Wide(fs::exists(beside, ec) ? beside.string() : text);
  }
  std::replace(text.begin(), text.end(), '\\', '/');
  fs::path path(text);
  if (path.is_relative()) path = m_model_folder / path;
  path = path.lexically_normal();
  std::error_code ec;
  if (!fs::exists(path, ec)) {
    const fs::path beside = m_model_folder / path.filename();
    if (fs::exists(beside, ec)) path = beside;
  }
  return Wide(path.string());
}

ON_Xform TextureXform(const aiUVTransform& t) {
  ON_Xform scale(1.0);
  scale.m_xform[0][0] = t.mScaling.x;
  scale.m_xform[1][1] = t.mScaling.y;
  const ON_Xform move =
      ON_Xform::TranslationTransformation(ON_3dVector(t.mTranslation.x, t.mTranslation.y, 0.0));
  ON_Xform turn;
  turn.Rotation(-static_cast<double>(t.mRotation), ON_3dVector::ZAxis, ON_3dPoint(0.5, 0.5, 0));
  return turn * move * scale;
}

bool IsPhysicallyBasedSource(const aiMaterial& m) {
  return Number(m, AI_MATKEY_METALLIC_FACTOR) || m.GetTextureCount(aiTextureType_METALNESS) > 0 ||
         Number(m, "$raw.3dsMax|main|metalness", 0, 0) || Number(m, "$raw.Maya|metalness", 0, 0);
}

std::unique_ptr<CRhRdkMaterial> MaterialFromAssimp(const aiMaterial& m, unsigned number,
                                                   TextureFiles& files) {
  auto content = std::make_unique<CRhRdkMaterial>();
  aiString name;
  std::wstring wideName;
  if (m.Get(AI_MATKEY_NAME, name) == AI_SUCCESS) wideName = Wide(name.C_Str());
  if (wideName.empty()) wideName = L"Material " + std::to_wstring(number);
  const ON_UUID id = host::NewUuid();
  content->m_id = id;
  content->m_name = host::OnText(wideName);
  ON_Material& material = content->m_material;
  material.SetId(id);
  material.SetName(host::OnText(wideName));
  material.SetRdkMaterialInstanceId(id);

  const auto diffuse = Colour(m, AI_MATKEY_COLOR_DIFFUSE);
  const auto emissive = Colour(m, AI_MATKEY_COLOR_EMISSIVE);
  const auto opacity = Number(m, AI_MATKEY_OPACITY);
  if (diffuse) material.m_diffuse = ByteColour(*diffuse);
  if (emissive) material.m_emission = ByteColour(*emissive);
  if (opacity) material.m_transparency = std::clamp(1.0 - *opacity, 0.0, 1.0);
  if (const auto shine = Number(m, AI_MATKEY_SHININESS))
    material.m_shine = std::clamp(*shine, 0.0, 255.0);
  if (const auto reflectivity = Number(m, AI_MATKEY_REFLECTIVITY))
    material.m_reflectivity = std::clamp(*reflectivity, 0.0, 1.0);
  const auto ior = Number(m, AI_MATKEY_REFRACTI);
  if (ior && *ior > 0.0) material.m_index_of_refraction = *ior;

  const bool pbr = IsPhysicallyBasedSource(m);
  if (pbr) {
    material.ToPhysicallyBased();
    // The physically based view of the material: a new one at each call, kept while used.
    const std::shared_ptr<ON_PhysicallyBasedMaterial> p = material.PhysicallyBased();
    auto base = Colour(m, AI_MATKEY_BASE_COLOR);
    if (!base) base = Colour(m, "$raw.3dsMax|main|basecolor", 0, 0);
    if (!base) base = diffuse;
    if (base) p->SetBaseColor(ON_4fColor(base->r, base->g, base->b, base->a));
    if (emissive) p->SetEmission(ON_4fColor(emissive->r, emissive->g, emissive->b, 1.0f));
    if (opacity)
      p->SetOpacity(std::clamp(*opacity, 0.0, 1.0));
    else if (base)
      p->SetOpacity(std::clamp(static_cast<double>(base->a), 0.0, 1.0));
    auto metallic = Number(m, AI_MATKEY_METALLIC_FACTOR);
    if (!metallic) metallic = Number(m, "$raw.3dsMax|main|metalness", 0, 0);
    if (!metallic) metallic = Number(m, "$raw.Maya|metalness", 0, 0);
    if (metallic) p->SetMetallic(*metallic);
    // An FBX physical material's own roughness before the value assimp
    // derives from its shininess.
    auto roughness = Number(m, "$raw.3dsMax|main|roughness", 0, 0);
    if (!roughness) roughness = Number(m, AI_MATKEY_ROUGHNESS_FACTOR);
    if (roughness) p->SetRoughness(*roughness);
    if (const auto specular = Number(m, AI_MATKEY_SPECULAR_FACTOR)) p->SetSpecular(*specular);
    if (ior && *ior > 0.0) p->SetOpacityIOR(*ior);
  }

  using T = ON_Texture::TYPE;
  AddTexture(m, FirstPresent(m, {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}),
             T::diffuse_texture, 1.0, files, material);
  const aiTextureType bump =
      FirstPresent(m, {aiTextureType_NORMALS, aiTextureType_NORMAL_CAMERA, aiTextureType_HEIGHT});
  auto bumpAmount = Number(m, _AI_MATKEY_GLTF_SCALE_BASE, bump, 0);
  if (!bumpAmount) bumpAmount = Number(m, AI_MATKEY_BUMPSCALING);
  AddTexture(m, bump, T::bump_texture, bumpAmount ? *bumpAmount : 1.0, files, material);
  AddTexture(m, aiTextureType_OPACITY, T::opacity_texture, 1.0, files, material);
  if (pbr) {
    AddTexture(m, aiTextureType_METALNESS, T::pbr_metallic_texture, 1.0, files, material);
    AddTexture(m, aiTextureType_DIFFUSE_ROUGHNESS, T::pbr_roughness_texture, 1.0, files, material);
  }
  return content;
}
