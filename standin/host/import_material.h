// RDK materials from assimp materials: physically based where the file gives
// metallic and roughness values, basic otherwise, each with its image textures
// (diffuse or base colour, bump or normal, opacity, metallic, roughness) and
// their texture transforms.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "RhinoSdk.h"

struct aiMaterial;
struct aiScene;
struct aiUVTransform;

// Finds the image files that materials name, and writes the images that the
// model file itself holds into a folder of their own.
class TextureFiles {
 public:
  TextureFiles(const aiScene& scene, std::filesystem::path modelFolder,
               std::filesystem::path embeddedFolder)
      : m_scene(scene),
        m_model_folder(std::move(modelFolder)),
        m_embedded_folder(std::move(embeddedFolder)) {}

  // The full path for a texture reference: an image embedded in the model
  // ("*N", or a name the model's images carry) is written out once and its
  // file named; a relative path is taken from the model's folder; a path that
  // does not exist (often one from the machine that wrote the file) is looked
  // for by its file name in the model's folder, and kept as it is when not
  // found. Empty when an embedded image cannot be written.
  std::wstring Resolve(const std::string& reference);

 private:
  std::wstring WriteEmbedded(int index);

  const aiScene& m_scene;
  std::filesystem::path m_model_folder;
  std::filesystem::path m_embedded_folder;
  std::map<int, std::wstring> m_written;
};

// The texture's uvw transform from assimp's UV transform, read as assimp's
// glTF reader fills it: scale, then translate, then turn about the texture's
// centre (0.5, 0.5) by minus the rotation.
ON_Xform TextureXform(const aiUVTransform& transform);

// True when the material carries metallic/roughness values (a metallic factor,
// a metalness map, or an FBX physical material's metalness).
bool IsPhysicallyBasedSource(const aiMaterial& material);

// The material as an RDK material with a new id; an unnamed material is called
// "Material N" after its number in the file.
std::unique_ptr<CRhRdkMaterial> MaterialFromAssimp(const aiMaterial& material, unsigned number,
                                                   TextureFiles& textures);
