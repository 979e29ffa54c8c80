#include "standin/bridge/gltf_material.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvex_bridge {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The glossiest a basic material's shine goes.
constexpr double kMaxShine = 255.0;

using Object = tinygltf::Value::Object;

double Limited(double value, double low, double high) {
  return std::min(std::max(value, low), high);
}

std::vector<double> LinearColour(const std::array<int, 3>& colour) {
  return {LinearFromSrgb(colour[0]), LinearFromSrgb(colour[1]), LinearFromSrgb(colour[2])};
}

std::string ColourText(const std::array<int, 3>& colour) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "#";
  for (const int channel : colour) {
    text += kDigits[(channel >> 4) & 15];
    text += kDigits[channel & 15];
  }
  return text;
}

// A texture (with its sampler: repeat, trilinear) for image `image`; its index.
int AddTexture(tinygltf::Model& gltf, int image) {
  if (gltf.samplers.empty()) {
    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
    sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    gltf.samplers.push_back(sampler);
  }
  tinygltf::Texture texture;
  texture.sampler = 0;
  texture.source = image;
  gltf.textures.push_back(texture);
  return static_cast<int>(gltf.textures.size()) - 1;
}

// The image index in `gltf` for texture file `file` of `textures`, adding it when new.
int ImageIndex(tinygltf::Model& gltf, const TextureImage& file) {
  for (std::size_t i = 0; i < gltf.images.size(); ++i) {
    if (gltf.images[i].uri == file.uri) return static_cast<int>(i);
  }
  tinygltf::Image image;
  image.uri = file.uri;
  image.name = file.source.filename().u8string();
  gltf.images.push_back(image);
  return static_cast<int>(gltf.images.size()) - 1;
}

// The texture's scale and rotation. The record's width and height are the size of one image in
// texture coordinates, so the coordinates are scaled by their inverses; its rotation, in
// degrees, turns the coordinates as glTF's rotation does, the texture coordinates having
// travelled with v negated.
tinygltf::Value TextureTransform(const TextureRecord& texture) {
  const double scaleU = texture.width != 0 ? 1.0 / texture.width : 1.0;
  const double scaleV = texture.height != 0 ? 1.0 / texture.height : 1.0;
  Object transform;
  transform["scale"] =
      tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(scaleU), tinygltf::Value(scaleV)});
  if (texture.rotationDegrees != 0) {
    transform["rotation"] = tinygltf::Value(texture.rotationDegrees * kPi / 180.0);
  }
  return tinygltf::Value(std::move(transform));
}

}  // namespace

double LinearFromSrgb(int byte) {
  const double c = Limited(byte, 0, 255) / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int AddRecordMaterial(tinygltf::Model& gltf, const std::string& key, const MaterialRecord& record,
                      TextureFiles& textures, std::vector<std::string>& problems,
                      std::set<std::string>& extensionsUsed) {
  tinygltf::Material material;
  material.name = key;
  Object extras;
  extras["key"] = tinygltf::Value(key);
  extras["name"] = tinygltf::Value(record.name);
  extras["diffuseColor"] = tinygltf::Value(ColourText(record.diffuse));
  extras["specular"] = tinygltf::Value(record.specular);
  extras["bumpAmount"] = tinygltf::Value(record.bumpAmount);
  extras["roughness"] = tinygltf::Value(record.roughness);

  const double opacity = Limited(record.opacity, 0.0, 1.0);
  std::vector<double> base = LinearColour(record.diffuse);
  tinygltf::Value::Array otherTextures;
  for (const TextureRecord& texture : record.textures) {
    std::string problem;
    const bool usable = texture.role == "DiffuseTexture" &&
                        material.pbrMetallicRoughness.baseColorTexture.index < 0 &&
                        !texture.path.empty();
    const std::optional<int> file = usable ? textures.Find(texture.path, problem) : std::nullopt;
    if (file) {
      // The image gives the colour; the diffuse colour stays in the extras.
      base = {1.0, 1.0, 1.0};
      tinygltf::TextureInfo& info = material.pbrMetallicRoughness.baseColorTexture;
      info.index = AddTexture(gltf, ImageIndex(gltf, textures.images()[*file]));
      if (texture.explicitTransform) {
        info.extensions["KHR_texture_transform"] = TextureTransform(texture);
        extensionsUsed.insert("KHR_texture_transform");
      }
      continue;
    }
    if (!problem.empty()) problems.push_back("material " + key + ": " + problem);
    Object other;
    other["role"] = tinygltf::Value(texture.role);
    other["path"] = tinygltf::Value(texture.path);
    otherTextures.push_back(tinygltf::Value(std::move(other)));
  }
  if (!otherTextures.empty()) extras["textures"] = tinygltf::Value(std::move(otherTextures));

  base.push_back(opacity);
  material.pbrMetallicRoughness.baseColorFactor = base;
  if (record.basic) {
    // A basic material is a dielectric, as smooth as it is glossy; glTF's
    // metallic factor is 1 where the material leaves it out.
    material.pbrMetallicRoughness.roughnessFactor =
        1.0 - Limited(record.roughness, 0.0, kMaxShine) / kMaxShine;
    material.pbrMetallicRoughness.metallicFactor = 0.0;
  } else {
    material.pbrMetallicRoughness.roughnessFactor = Limited(record.roughness, 0.0, 1.0);
    material.pbrMetallicRoughness.metallicFactor = Limited(record.metallic, 0.0, 1.0);
  }
  if (opacity < 1.0) material.alphaMode = "BLEND";

  material.emissiveFactor = {0.0, 0.0, 0.0};
  if (record.emissiveStrength > 0 && record.emissive != std::array<int, 3>{0, 0, 0}) {
    material.emissiveFactor = LinearColour(record.emissive);
    if (record.emissiveStrength != 1.0) {
      material.extensions["KHR_materials_emissive_strength"] =
          tinygltf::Value(Object{{"emissiveStrength", tinygltf::Value(record.emissiveStrength)}});
      extensionsUsed.insert("KHR_materials_emissive_strength");
    }
  }
  if (record.indexOfRefraction >= 1.0) {
    material.extensions["KHR_materials_ior"] =
        tinygltf::Value(Object{{"ior", tinygltf::Value(record.indexOfRefraction)}});
    extensionsUsed.insert("KHR_materials_ior");
  } else {
    extras["indexOfRefraction"] = tinygltf::Value(record.indexOfRefraction);
  }
  material.extras = tinygltf::Value(std::move(extras));
  gltf.materials.push_back(std::move(material));
  return static_cast<int>(gltf.materials.size()) - 1;
}

int AddDefaultMaterial(tinygltf::Model& gltf, const std::string& key) {
  tinygltf::Material material;
  material.emissiveFactor = {0.0, 0.0, 0.0};
  material.extras = tinygltf::Value(Object{{"key", tinygltf::Value(key)}});
  gltf.materials.push_back(std::move(material));
  return static_cast<int>(gltf.materials.size()) - 1;
}

}  // namespace orvex_bridge
