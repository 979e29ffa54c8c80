// Small assimp scenes built in code, the package's models, and a scratch folder.
#pragma once

#include <assimp/scene.h>

#include <memory>
#include <string>
#include <vector>

// Collects meshes, nodes, materials, cameras and lights, then hands them over
// to an aiScene, which owns and frees them.
class TestScene {
 public:
  TestScene();
  ~TestScene();

  unsigned AddMesh(const std::vector<aiVector3D>& vertices,
                   const std::vector<std::vector<unsigned>>& faces, const std::string& name = "",
                   unsigned material = 0);
  aiMesh& Mesh(unsigned index) { return *m_meshes[index]; }
  aiNode* Root() { return m_root; }
  aiNode* AddNode(aiNode* parent, const std::string& name, const aiMatrix4x4& transform,
                  const std::vector<unsigned>& meshes = {});
  aiMaterial& AddMaterial(const std::string& name);
  aiCamera& AddCamera(const std::string& name);
  aiLight& AddLight(const std::string& name, aiLightSourceType type);
  // An embedded image; height 0 means compressed bytes (a file's contents).
  void AddTexture(const std::string& fileName, unsigned width, unsigned height,
                  const std::vector<unsigned char>& bytes, const char* formatHint);

  // The finished scene; the builder is spent.
  std::unique_ptr<aiScene> Finish();

 private:
  aiNode* m_root;
  std::vector<aiMesh*> m_meshes;
  std::vector<aiMaterial*> m_materials;
  std::vector<aiCamera*> m_cameras;
  std::vector<aiLight*> m_lights;
  std::vector<aiTexture*> m_textures;
};

aiMatrix4x4 Translation(float x, float y, float z);

// A file of the assimp-testmodels package.
std::string ModelPath(const std::string& relative);
