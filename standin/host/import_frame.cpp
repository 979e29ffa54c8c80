#include "import_frame.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

namespace {

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// A number from the scene's metadata, whichever numeric type the reader chose.
std::optional<double> MetadataNumber(const aiScene& scene, const char* key) {
  const aiMetadata* meta = scene.mMetaData;
  if (!meta) return std::nullopt;
  for (unsigned i = 0; i < meta->mNumProperties; ++i) {
    if (std::strcmp(meta->mKeys[i].C_Str(), key) != 0) continue;
    const aiMetadataEntry& entry = meta->mValues[i];
    if (!entry.mData) return std::nullopt;
    switch (entry.mType) {
      case AI_INT32: return *static_cast<const int32_t*>(entry.mData);
      case AI_UINT64: return static_cast<double>(*static_cast<const uint64_t*>(entry.mData));
      case AI_FLOAT: return *static_cast<const float*>(entry.mData);
      case AI_DOUBLE: return *static_cast<const double*>(entry.mData);
      default: return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string MetadataText(const aiScene& scene, const char* key) {
  aiString text;
  if (scene.mMetaData && scene.mMetaData->Get(key, text)) return text.C_Str();
  return std::string();
}

int AsInt(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

ON_Xform YUpToZUp() {
  ON_Xform x(1.0);
  x.m_xform[1][1] = 0.0;
  x.m_xform[1][2] = -1.0;
  x.m_xform[2][1] = 1.0;
  x.m_xform[2][2] = 0.0;
  return x;
}

bool FbxAxes(int upAxis, int upSign, int frontAxis, int frontSign, int coordAxis, int coordSign,
             ON_Xform* axes) {
  auto axisOk = [](int axis) { return axis >= 0 && axis <= 2; };
  auto signOk = [](int sign) { return sign == 1 || sign == -1; };
  if (!axisOk(upAxis) || !axisOk(frontAxis) || !axisOk(coordAxis) || upAxis == frontAxis ||
      upAxis == coordAxis || frontAxis == coordAxis || !signOk(upSign) || !signOk(frontSign) ||
      !signOk(coordSign))
    return false;
  // Row i of the turn is the file axis that becomes document axis i.
  ON_Xform x;
  x.m_xform[0][coordAxis] = coordSign;
  x.m_xform[1][frontAxis] = -frontSign;
  x.m_xform[2][upAxis] = upSign;
  x.m_xform[3][3] = 1.0;
  *axes = x;
  return true;
}

bool UnitsOfFbxScale(double centimetresPerUnit, ON::LengthUnitSystem* units) {
  using U = ON::LengthUnitSystem;
  static const std::pair<double, U> kSizes[] = {
      {0.0001, U::Microns}, {0.1, U::Millimeters},     {1.0, U::Centimeters},
      {100.0, U::Meters},   {100000.0, U::Kilometers}, {2.54, U::Inches},
      {30.48, U::Feet},     {91.44, U::Yards},         {160934.4, U::Miles}};
  if (!(centimetresPerUnit > 0.0) || !std::isfinite(centimetresPerUnit)) return false;
  for (const auto& [size, unit] : kSizes)
    if (std::fabs(centimetresPerUnit / size - 1.0) < 1e-6) {
      *units = unit;
      return true;
    }
  return false;
}

SceneFrame FrameOfScene(const std::string& path, const aiScene& scene,
                        ON::LengthUnitSystem defaultUnits) {
  SceneFrame frame;
  frame.units = defaultUnits;
  const std::string extension = LowerExtension(path);
  const std::string format = MetadataText(scene, "SourceAsset_Format");
  const bool gltf = extension == ".gltf" || extension == ".glb" ||
                    (format.find("glTF") != std::string::npos && extension != ".fbx");
  const bool collada =
      extension == ".dae" || extension == ".zae" || format.find("Collada") != std::string::npos;
  const bool ifc =
      extension == ".ifc" || extension == ".ifczip" || format.find("(IFC)") != std::string::npos;
  const bool fbx = extension == ".fbx" || format.find("FBX") != std::string::npos;
  const bool yUp =
      gltf || collada || ifc || extension == ".obj" || extension == ".3ds" || extension == ".dxf";

  if (yUp) frame.toDocument = YUpToZUp();
  if (gltf || collada || ifc) frame.units = ON::LengthUnitSystem::Meters;
  frame.nodePlacesCameras = gltf;
  if (!fbx) return frame;

  // FBX: the file's own axes (Y up when it names none) and unit.
  const auto up = MetadataNumber(scene, "UpAxis");
  const auto upSign = MetadataNumber(scene, "UpAxisSign");
  const auto front = MetadataNumber(scene, "FrontAxis");
  const auto frontSign = MetadataNumber(scene, "FrontAxisSign");
  const auto coord = MetadataNumber(scene, "CoordAxis");
  const auto coordSign = MetadataNumber(scene, "CoordAxisSign");
  ON_Xform axes;
  frame.toDocument = (up && upSign && front && frontSign && coord && coordSign &&
                      FbxAxes(AsInt(*up), AsInt(*upSign), AsInt(*front), AsInt(*frontSign),
                              AsInt(*coord), AsInt(*coordSign), &axes))
                         ? axes
                         : YUpToZUp();
  if (const auto factor = MetadataNumber(scene, "UnitScaleFactor")) {
    if (!UnitsOfFbxScale(*factor, &frame.units) && *factor > 0.0 && std::isfinite(*factor)) {
      // A unit of no standard size: the document counts in centimetres.
      frame.units = ON::LengthUnitSystem::Centimeters;
      frame.toDocument = ON_Xform::DiagonalTransformation(*factor) * frame.toDocument;
    }
  }
  return frame;
}

ON_3dVector Unit(const ON_3dVector& v, const ON_3dVector& fallback) {
  ON_3dVector u = v;
  return u.Unitize() ? u : fallback;
}

ON_3dVector Perpendicular(const ON_3dVector& v) {
  const ON_3dVector axis = std::fabs(v.z) < 0.9 ? ON_3dVector::ZAxis : ON_3dVector::XAxis;
  return Unit(ON_CrossProduct(axis, v), ON_3dVector::YAxis);
}

ON_3dVector UpAcross(const ON_3dVector& up, const ON_3dVector& direction) {
  return Unit(up - direction * (up * direction), up);
}
