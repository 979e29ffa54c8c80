#include "scene_fixtures.h"

#include <cstring>

namespace {

template <class T>
void HandOver(std::vector<T*>& items, T**& array, unsigned& count) {
  count = static_cast<unsigned>(items.size());
  array = items.empty() ? nullptr : new T*[items.size()];
  for (size_t i = 0; i < items.size(); ++i) array[i] = items[i];
  items.clear();
}

}  // namespace

TestScene::TestScene() : m_root(new aiNode("root")) {}

TestScene::~TestScene() {
  delete m_root;
  for (aiMesh* m : m_meshes) delete m;
  for (aiMaterial* m : m_materials) delete m;
  for (aiCamera* c : m_cameras) delete c;
  for (aiLight* l : m_lights) delete l;
  for (aiTexture* t : m_textures) delete t;
}

unsigned TestScene::AddMesh(const std::vector<aiVector3D>& vertices,
                            const std::vector<std::vector<unsigned>>& faces,
                            const std::string& name, unsigned material) {
  auto* mesh = new aiMesh();
  mesh->mName = aiString(name);
  mesh->mMaterialIndex = material;
  mesh->mNumVertices = static_cast<unsigned>(vertices.size());
  mesh->mVertices = new aiVector3D[vertices.size()];
  for (size_t i = 0; i < vertices.size(); ++i) mesh->mVertices[i] = vertices[i];
  mesh->mNumFaces = static_cast<unsigned>(faces.size());
  mesh->mFaces = new aiFace[faces.size()];
  for (size_t f = 0; f < faces.size(); ++f) {
    aiFace& face = mesh->mFaces[f];
    face.mNumIndices = static_cast<unsigned>(faces[f].size());
    face.mIndices = new unsigned[faces[f].size()];
    for (size_t k = 0; k < faces[f].size(); ++k) face.mIndices[k] = faces[f][k];
  }
  m_meshes.push_back(mesh);
  return static_cast<unsigned>(m_meshes.size() - 1);
}

aiNode* TestScene::AddNode(aiNode* parent, const std::string& name, const aiMatrix4x4& transform,
                           const std::vector<unsigned>& meshes) {
  auto* node = new aiNode(name);
  node->mTransformation = transform;
  node->mNumMeshes = static_cast<unsigned>(meshes.size());
  node->mMeshes = meshes.empty() ? nullptr : new unsigned[meshes.size()];
  for (size_t i = 0; i < meshes.size(); ++i) node->mMeshes[i] = meshes[i];
  aiNode* children[] = {node};
  parent->addChildren(1, children);
  return node;
}

aiMaterial& TestScene::AddMaterial(const std::string& name) {
  auto* material = new aiMaterial();
  if (!name.empty()) {
    const aiString text(name);
    material->AddProperty(&text, AI_MATKEY_NAME);
  }
  m_materials.push_back(material);
  return *material;
}

aiCamera& TestScene::AddCamera(const std::string& name) {
  auto* camera = new aiCamera();
  camera->mName = aiString(name);
  m_cameras.push_back(camera);
  return *camera;
}

aiLight& TestScene::AddLight(const std::string& name, aiLightSourceType type) {
  auto* light = new aiLight();
  light->mName = aiString(name);
  light->mType = type;
  m_lights.push_back(light);
  return *light;
}

void TestScene::AddTexture(const std::string& fileName, unsigned width, unsigned height,
                           const std::vector<unsigned char>& bytes, const char* formatHint) {
  auto* texture = new aiTexture();
  texture->mFilename = aiString(fileName);
  texture->mWidth = width;
  texture->mHeight = height;
  std::strncpy(texture->achFormatHint, formatHint, HINTMAXTEXTURELEN - 1);
  const size_t texels = height == 0 ? (width + 3) / 4 : size_t(width) * height;
  texture->pcData = new aiTexel[texels];
  std::memset(texture->pcData, 0, texels * sizeof(aiTexel));
  std::memcpy(texture->pcData, bytes.data(), std::min(bytes.size(), texels * sizeof(aiTexel)));
  m_textures.push_back(texture);
}

std::unique_ptr<aiScene> TestScene::Finish() {
  auto scene = std::make_unique<aiScene>();
  scene->mRootNode = m_root;
  m_root = nullptr;
  HandOver(m_meshes, scene->mMeshes, scene->mNumMeshes);
  HandOver(m_materials, scene->mMaterials, scene->mNumMaterials);
  HandOver(m_cameras, scene->mCameras, scene->mNumCameras);
  HandOver(m_lights, scene->mLights, scene->mNumLights);
  HandOver(m_textures, scene->mTextures, scene->mNumTextures);
  return scene;
}

aiMatrix4x4 Translation(float x, float y, float z) {
  aiMatrix4x4 m;
  m.a4 = x;
  m.b4 = y;
  m.c4 = z;
  return m;
}

std::string ModelPath(const std::string& relative) {
  return std::string(ORVEX_ASSIMP_MODELS) + "/" + relative;
}
