// What the renderer holds of the scenes it receives: models with their elements, meshes,
// materials and instances, and the renderer-wide lights, scenes and camera. Plain values, in
// the form they arrived in, so that they can be written out as they are.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvex_bridge {

struct Mesh {
  std::string name;
  std::optional<std::string> element;  // the element that added it; none outside any element
  std::vector<float> positions;        // exactly the counts passed
  std::vector<float> normals;
  std::vector<float> uvs;
  std::optional<std::vector<float>> extra;  // none when the pointer was null
  std::vector<int> indices;
};

struct Instance {
  std::string mesh;                 // mesh name
  std::string material;             // material key
  std::array<float, 16> transform;  // as passed; the identity when the pointer was null
};

struct Element {
  std::string id;
  std::uint64_t order = 0;  // first arrival, for a stable output order
  std::vector<Instance> instances;
  std::vector<std::string> meshes;  // names of the meshes added while it was open
};

struct Model {
  std::map<std::string, std::string> materials;  // key -> material record text
  std::map<std::string, Mesh> meshes;            // by name
  std::map<std::string, Element> elements;       // by id
  std::vector<Instance> looseInstances;          // added outside any element
  std::uint64_t nextElementOrder = 0;
  int optimizeCount = 0;
  int sendCount = 0;
};

struct Scene {
  std::string id;
  std::string name;
  std::array<float, 9> camera;  // as passed; zeros when the pointer was null
  float fov = 0;
};

struct Camera {
  std::array<float, 9> camera;  // as passed; zeros when the pointer was null
  float fov = 0;
};

struct Lights {
  std::string documentPath;
  std::string xml;
};

// The values of one call, copied out of the caller's arrays: exactly `count` elements of each
// array (none for a null pointer or a count of zero or less).
Mesh MeshFromCall(std::string name, const float* positions, int positionCount, const float* normals,
                  int normalCount, const float* uvs, int uvCount, const float* extra,
                  int extraCount, const int* indices, int indexCount);
Instance InstanceFromCall(std::string mesh, std::string material, const float* transform16);
std::array<float, 9> CameraFromCall(const float* camera9);

}  // namespace orvex_bridge
