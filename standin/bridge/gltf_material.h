// glTF materials from material records. Colours travel as sRGB bytes and become linear factors;
// opacity is the base colour's alpha (blended below 1); roughness and metallic are limited to
// 0..1, but a basic material (no physically based part) is a dielectric (metallic 0) whose
// roughness is 1 - gloss / 255; emission uses KHR_materials_emissive_strength, the index of
// refraction KHR_materials_ior, and the first diffuse texture that names a PNG or JPEG image
// becomes the base colour texture, its scale and rotation through KHR_texture_transform. What glTF
// has no place for stays in the material's extras.
#pragma once

#include <tiny_gltf.h>

#include <set>
#include <string>
#include <vector>

#include "standin/bridge/record_reader.h"
#include "standin/bridge/texture_files.h"

namespace orvex_bridge {

// The linear value (0..1) of an sRGB channel byte.
double LinearFromSrgb(int byte);

// Adds the material for `record`, filed under `key`, to `gltf` with the textures it needs, and
// returns its index. Images are taken from `textures`; an image that cannot be used adds a
// sentence to `problems`. Extension names used are added to `extensionsUsed`.
int AddRecordMaterial(tinygltf::Model& gltf, const std::string& key, const MaterialRecord& record,
                      TextureFiles& textures, std::vector<std::string>& problems,
                      std::set<std::string>& extensionsUsed);

// Adds an unnamed material with glTF's default values, noting `key` in its extras.
int AddDefaultMaterial(tinygltf::Model& gltf, const std::string& key);

}  // namespace orvex_bridge
