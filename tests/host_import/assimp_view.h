// assimp's own view of a model file, to check imports against: each mesh's
// triangles after assimp's own triangulation, each mesh's node placements, and
// the box of the placed corners of triangles that can be drawn. Header only, so
// that the host-level tests can use it as well.
#pragma once

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <assimp/Importer.hpp>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

struct Box3 {
  std::array<double, 3> min{std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity()};
  std::array<double, 3> max{-std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
  bool Empty() const { return min[0] > max[0]; }
  void Add(double x, double y, double z) {
    const double p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
      min[i] = std::min(min[i], p[i]);
      max[i] = std::max(max[i], p[i]);
    }
  }
  // The box of this box's corners mapped by f(x, y, z) -> array of three.
  template <class F>
  Box3 Mapped(F f) const {
    Box3 out;
    if (Empty()) return out;
    for (int c = 0; c < 8; ++c) {
      const std::array<double, 3> p =
          f((c & 1) ? max[0] : min[0], (c & 2) ? max[1] : min[1], (c & 4) ? max[2] : min[2]);
      out.Add(p[0], p[1], p[2]);
    }
    return out;
  }
  double Size() const {
    double s = 0.0;
    for (int i = 0; i < 3; ++i) s = std::max(s, max[i] - min[i]);
    return s;
  }
};

struct AssimpView {
  std::string error;                   // empty when assimp read the file
  std::vector<size_t> triangles;       // per mesh, after assimp's triangulation
  std::vector<size_t> validTriangles;  // of those, the ones with finite, in-range corners
  std::vector<unsigned> uses;          // per mesh: node placements
  Box3 box;                            // the placed corners of valid triangles, scene coordinates

  size_t Placed(const std::vector<size_t>& perMesh) const {
    size_t sum = 0;
    for (size_t m = 0; m < perMesh.size(); ++m) sum += perMesh[m] * uses[m];
    return sum;
  }
  size_t Distinct(const std::vector<size_t>& perMesh) const {
    size_t sum = 0;
    for (size_t m = 0; m < perMesh.size(); ++m) sum += uses[m] > 0 ? perMesh[m] : 0;
    return sum;
  }
  size_t SharedMeshes() const {
    return static_cast<size_t>(
        std::count_if(uses.begin(), uses.end(), [](unsigned u) { return u > 1; }));
  }
};

inline AssimpView ViewWithAssimp(const std::string& path, unsigned flags = aiProcess_Triangulate) {
  AssimpView view;
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, flags);
  if (!scene || !scene->mRootNode) {
    view.error = importer.GetErrorString();
    return view;
  }
  view.triangles.assign(scene->mNumMeshes, 0);
  view.validTriangles.assign(scene->mNumMeshes, 0);
  view.uses.assign(scene->mNumMeshes, 0);
  auto finite = [](const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
  };
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh& mesh = *scene->mMeshes[m];
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      const aiFace& face = mesh.mFaces[f];
      if (face.mNumIndices != 3) continue;
      ++view.triangles[m];
      bool valid = true;
      for (unsigned k = 0; k < 3; ++k)
        valid = valid && face.mIndices[k] < mesh.mNumVertices &&
                finite(mesh.mVertices[face.mIndices[k]]);
      view.validTriangles[m] += valid ? 1 : 0;
    }
  }
  struct Step {
    const aiNode* node;
    aiMatrix4x4 parent;
  };
  std::vector<Step> stack = {{scene->mRootNode, aiMatrix4x4()}};
  while (!stack.empty()) {
    const Step step = stack.back();
    stack.pop_back();
    const aiMatrix4x4 world = step.parent * step.node->mTransformation;
    for (unsigned i = 0; i < step.node->mNumMeshes; ++i) {
      const unsigned m = step.node->mMeshes[i];
      ++view.uses[m];
      const aiMesh& mesh = *scene->mMeshes[m];
      for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;
        bool valid = true;
        for (unsigned k = 0; k < 3; ++k)
          valid = valid && face.mIndices[k] < mesh.mNumVertices &&
                  finite(mesh.mVertices[face.mIndices[k]]);
        if (!valid) continue;
        for (unsigned k = 0; k < 3; ++k) {
          const aiVector3D p = world * mesh.mVertices[face.mIndices[k]];
          view.box.Add(p.x, p.y, p.z);
        }
      }
    }
    for (unsigned i = 0; i < step.node->mNumChildren; ++i)
      stack.push_back({step.node->mChildren[i], world});
  }
  return view;
}
