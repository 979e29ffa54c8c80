// Reads a written glTF file back for tests, independently of the writer: the JSON with
// nlohmann_json, the buffer bytes from the file its URI names, node transforms composed from
// matrices or translation/rotation/scale, and world-space bounding boxes. Also runs the
// project's glTF validator (tools/validate_gltf.js) over a folder.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace gltf_test {

using Vec3 = std::array<double, 3>;
using Mat4 = std::array<double, 16>;  // column-major, as glTF writes it

inline Mat4 Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

inline Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 c{};
  for (int r = 0; r < 4; ++r) {
    for (int col = 0; col < 4; ++col) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[col * 4 + k];
      c[col * 4 + r] = sum;
    }
  }
  return c;
}

inline Vec3 Apply(const Mat4& m, const Vec3& p) {
  return {m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12],
          m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13],
          m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]};
}

// A direction (no translation).
inline Vec3 Turn(const Mat4& m, const Vec3& v) {
  return {m[0] * v[0] + m[4] * v[1] + m[8] * v[2], m[1] * v[0] + m[5] * v[1] + m[9] * v[2],
          m[2] * v[0] + m[6] * v[1] + m[10] * v[2]};
}

inline double Determinant3(const Mat4& m) {
  return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
         m[8] * (m[1] * m[6] - m[5] * m[2]);
}

inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The direction a normal takes under `m`: by the inverse transpose of its 3x3 part, made unit.
inline Vec3 WorldNormal(const Mat4& m, const Vec3& n) {
  // Cofactors of the 3x3 part; the inverse transpose is them divided by the determinant.
  auto at = [&](int r, int c) { return m[c * 4 + r]; };
  double cof[3][3];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      cof[r][c] = at(r1, c1) * at(r2, c2) - at(r1, c2) * at(r2, c1);
    }
  }
  const double sign = Determinant3(m) < 0 ? -1.0 : 1.0;
  Vec3 out{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) out[r] += sign * cof[r][c] * n[c];
  }
  const double length = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
  return {out[0] / length, out[1] / length, out[2] / length};
}

// The matrix of translation * rotation (quaternion x, y, z, w) * scale.
inline Mat4 FromTrs(const Vec3& t, const std::array<double, 4>& q, const Vec3& s) {
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                          {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                          {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
  Mat4 m = Identity();
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) m[col * 4 + row] = r[row][col] * s[col];
  }
  m[12] = t[0];
  m[13] = t[1];
  m[14] = t[2];
  return m;
}

struct Box {
  Vec3 min{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
           std::numeric_limits<double>::infinity()};
  Vec3 max{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
           -std::numeric_limits<double>::infinity()};
  bool empty() const { return min[0] > max[0]; }
  void Add(const Vec3& p) {
    for (int i = 0; i < 3; ++i) {
      min[i] = std::min(min[i], p[i]);
      max[i] = std::max(max[i], p[i]);
    }
  }
};

class GltfFile {
 public:
  explicit GltfFile(const std::filesystem::path& file) : folder_(file.parent_path()) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot open " + file.string());
    json_ = nlohmann::json::parse(in);
    for (const auto& buffer : json_.value("buffers", nlohmann::json::array())) {
      std::ifstream bin(folder_ / buffer.at("uri").get<std::string>(), std::ios::binary);
      buffers_.emplace_back(std::istreambuf_iterator<char>(bin), std::istreambuf_iterator<char>());
    }
    parents_.assign(Nodes().size(), -1);
    for (std::size_t i = 0; i < Nodes().size(); ++i) {
      for (const auto& child : Nodes()[i].value("children", nlohmann::json::array())) {
        parents_.at(child.get<int>()) = static_cast<int>(i);
      }
    }
  }

  const nlohmann::json& json() const { return json_; }
  const nlohmann::json& Nodes() const { return json_.at("nodes"); }
  const nlohmann::json& Node(int index) const { return Nodes().at(index); }
  int Parent(int node) const { return parents_.at(node); }

  // Every node of that name, in file order.
  std::vector<int> NodesNamed(const std::string& name) const {
    std::vector<int> found;
    for (std::size_t i = 0; i < Nodes().size(); ++i) {
      if (Nodes()[i].value("name", "") == name) found.push_back(static_cast<int>(i));
    }
    return found;
  }
  // The one node of that name; throws when there is none or more than one.
  int NodeNamed(const std::string& name) const {
    const auto found = NodesNamed(name);
    if (found.size() != 1) {
      throw std::runtime_error(std::to_string(found.size()) + " nodes named " + name);
    }
    return found[0];
  }
  std::vector<int> Children(int node) const {
    std::vector<int> children;
    for (const auto& child : Node(node).value("children", nlohmann::json::array())) {
      children.push_back(child.get<int>());
    }
    return children;
  }

  Mat4 Local(int node) const {
    const auto& n = Node(node);
    if (n.contains("matrix")) {
      Mat4 m;
      for (int i = 0; i < 16; ++i) m[i] = n["matrix"][i].get<double>();
      return m;
    }
    const Vec3 t = n.value("translation", Vec3{0, 0, 0});
    const std::array<double, 4> q = n.value("rotation", std::array<double, 4>{0, 0, 0, 1});
    const Vec3 s = n.value("scale", Vec3{1, 1, 1});
    return FromTrs(t, q, s);
  }
  Mat4 World(int node) const {
    Mat4 m = Local(node);
    for (int p = Parent(node); p >= 0; p = Parent(p)) m = Multiply(Local(p), m);
    return m;
  }

  // Float or unsigned int accessor elements, flattened.
  std::vector<double> Read(int accessor) const {
    const auto& a = json_.at("accessors").at(accessor);
    const auto& view = json_.at("bufferViews").at(a.at("bufferView").get<int>());
    const std::vector<char>& data = buffers_.at(view.at("buffer").get<int>());
    const std::size_t offset = view.value("byteOffset", 0) + a.value("byteOffset", 0);
    const std::string type = a.at("type");
    const std::size_t components = type == "SCALAR" ? 1 : type == "VEC2" ? 2 : 3;
    const std::size_t count = a.at("count").get<std::size_t>() * components;
    std::vector<double> values;
    for (std::size_t i = 0; i < count; ++i) {
      const char* at = data.data() + offset + 4 * i;
      if (a.at("componentType") == 5126) {
        float f;
        std::memcpy(&f, at, 4);
        values.push_back(f);
      } else {
        std::uint32_t u;
        std::memcpy(&u, at, 4);
        values.push_back(u);
      }
    }
    return values;
  }

  const nlohmann::json& Primitive(int node) const {
    return json_.at("meshes").at(Node(node).at("mesh").get<int>()).at("primitives").at(0);
  }
  // Vertex positions of the node's mesh, in the node's own frame.
  std::vector<Vec3> LocalPositions(int node) const {
    const std::vector<double> flat = Read(Primitive(node).at("attributes").at("POSITION"));
    std::vector<Vec3> points;
    for (std::size_t i = 0; i + 2 < flat.size(); i += 3) {
      points.push_back({flat[i], flat[i + 1], flat[i + 2]});
    }
    return points;
  }
  std::vector<double> Indices(int node) const { return Read(Primitive(node).at("indices")); }

  // Triangles of the node and everything under it.
  int Triangles(int node) const {
    int count = 0;
    if (Node(node).contains("mesh")) {
      count += json_["accessors"][Primitive(node)["indices"].get<int>()]["count"].get<int>() / 3;
    }
    for (const int child : Children(node)) count += Triangles(child);
    return count;
  }
  // World-space box of the vertices used by triangles of the node and everything under it.
  Box WorldBox(int node) const {
    Box box;
    AddToBox(node, box);
    return box;
  }

  // The material of the node's mesh, or null when it has none.
  nlohmann::json MaterialOf(int node) const {
    const auto& primitive = Primitive(node);
    if (!primitive.contains("material")) return nullptr;
    return json_.at("materials").at(primitive["material"].get<int>());
  }

 private:
  void AddToBox(int node, Box& box) const {
    if (Node(node).contains("mesh")) {
      const Mat4 world = World(node);
      const std::vector<Vec3> points = LocalPositions(node);
      for (const double index : Indices(node)) box.Add(Apply(world, points.at(index)));
    }
    for (const int child : Children(node)) AddToBox(child, box);
  }

  std::filesystem::path folder_;
  nlohmann::json json_;
  std::vector<std::vector<char>> buffers_;
  std::vector<int> parents_;
};

namespace detail {
inline double Along(const Vec3& direction, const Vec3& at, const Vec3& centre) {
  return direction[0] * (at[0] - centre[0]) + direction[1] * (at[1] - centre[1]) +
         direction[2] * (at[2] - centre[2]);
}
inline int Verdict(int away, int towards) { return towards == 0 ? 1 : away == 0 ? -1 : 0; }
}  // namespace detail

// +1 when the front face of every triangle of `node` (counter-clockwise in the node's own
// frame, as glTF reads it) faces away from `centre` in the world, -1 when every one faces
// towards it, 0 otherwise.
inline int FaceFacing(const GltfFile& gltf, int node, const Vec3& centre) {
  const Mat4 world = gltf.World(node);
  const double sign = Determinant3(world) < 0 ? -1.0 : 1.0;
  const std::vector<Vec3> points = gltf.LocalPositions(node);
  const std::vector<double> indices = gltf.Indices(node);
  int away = 0, towards = 0;
  for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
    const Vec3 a = Apply(world, points.at(indices[t]));
    const Vec3 b = Apply(world, points.at(indices[t + 1]));
    const Vec3 c = Apply(world, points.at(indices[t + 2]));
    const Vec3 n =
        Cross({b[0] - a[0], b[1] - a[1], b[2] - a[2]}, {c[0] - a[0], c[1] - a[1], c[2] - a[2]});
    const Vec3 middle = {(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3,
                         (a[2] + b[2] + c[2]) / 3};
    (sign * detail::Along(n, middle, centre) > 0 ? away : towards) += 1;
  }
  return detail::Verdict(away, towards);
}

// The same for the normals of `node`'s vertices, turned into the world as glTF turns them.
inline int NormalFacing(const GltfFile& gltf, int node, const Vec3& centre) {
  const Mat4 world = gltf.World(node);
  const std::vector<Vec3> points = gltf.LocalPositions(node);
  const std::vector<double> normals = gltf.Read(gltf.Primitive(node)["attributes"]["NORMAL"]);
  int away = 0, towards = 0;
  for (std::size_t v = 0; v < points.size(); ++v) {
    const Vec3 n = WorldNormal(world, {normals[3 * v], normals[3 * v + 1], normals[3 * v + 2]});
    (detail::Along(n, Apply(world, points[v]), centre) > 0 ? away : towards) += 1;
  }
  return detail::Verdict(away, towards);
}

struct ValidatorRun {
  bool ran = false;  // false: the validator is not installed here
  int exitCode = -1;
  std::string output;
};

// Runs tools/validate_gltf.js over `target` (a file or a folder). Where Node or the validator
// is missing the run is not made, unless ORVEX_REQUIRE_GLTF_VALIDATOR=1, which makes that a
// failed run.
inline ValidatorRun ValidateGltf(const std::filesystem::path& target) {
  ValidatorRun run;
  const std::filesystem::path source(ORVEX_SOURCE_DIR);
  const bool installed =
      std::filesystem::exists(source / "tools/gltf-validator/node_modules/gltf-validator") &&
      std::system("command -v node >/dev/null 2>&1") == 0;
  const char* required = std::getenv("ORVEX_REQUIRE_GLTF_VALIDATOR");
  if (!installed) {
    if (required != nullptr && std::string(required) == "1") {
      run.ran = true;
      run.output = "the glTF validator is required but not installed";
    }
    return run;
  }
  run.ran = true;
  const std::string command =
      "node '" + (source / "tools/validate_gltf.js").string() + "' '" + target.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, got);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace gltf_test

// Expects every glTF file under `target` to pass the validator (when it is installed).
#define EXPECT_GLTF_VALID(target)                                                     \
  do {                                                                                \
    const ::gltf_test::ValidatorRun validatorRun = ::gltf_test::ValidateGltf(target); \
    if (validatorRun.ran) {                                                           \
      EXPECT_EQ(validatorRun.exitCode, 0) << validatorRun.output;                     \
    } else {                                                                          \
      std::printf("glTF validator not installed: %s not validated\n",                 \
                  std::filesystem::path(target).string().c_str());                    \
    }                                                                                 \
  } while (false)
