// What a document file (*.orvexdoc.json) says, read and checked but not yet
// made into the SDK stand-in's document: openNURBS values and plain fields, no
// SDK objects. document_file_parser.h reads it from the file's JSON and
// document_builder.h makes the document from it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "opennurbs.h"

namespace document_file {

struct LayerDescription {
  // Its id, name (as openNURBS keeps it: trimmed) and parent layer's id.
  ON_Layer layer;
  // The RDK instance id of its material; nil: none.
  ON_UUID material = ON_nil_uuid;
};

// The physically based side of a material: the values the file gives.
struct PhysicallyBasedDescription {
  std::optional<ON_4fColor> baseColor;
  std::optional<ON_4fColor> emission;
  std::optional<double> opacity;
  std::optional<double> roughness;
  std::optional<double> metallic;
  std::optional<double> specular;
  std::optional<double> opacityIor;
};

// A material: its id, name and the values the file gives; the others keep the
// SDK's defaults.
struct MaterialDescription {
  ON_UUID id = ON_nil_uuid;
  std::wstring name;
  std::optional<ON_Color> diffuse;
  std::optional<ON_Color> emission;
  std::optional<double> transparency;
  std::optional<double> reflectivity;
  std::optional<bool> fresnel;
  std::optional<double> shine;
  std::optional<double> ior;
  std::optional<PhysicallyBasedDescription> pbr;
  std::vector<ON_Texture> textures;
  // Whether the RDK material list shows it.
  bool listed = true;
};

// One face of a polysurface: its render mesh and its own material (nil: the
// object's).
struct FaceDescription {
  ON_Mesh mesh;
  ON_UUID material = ON_nil_uuid;
};

enum class ObjectKind { kMesh, kPolysurface, kInstance };

// The object's state as the file says it; "deleted" is no mode of the
// attributes but a state of the object.
enum class ObjectState { kNormal, kLocked, kHidden, kDeleted };

// An object of the document or of a block definition.
struct ObjectDescription {
  ObjectKind kind = ObjectKind::kMesh;
  ON_Mesh mesh;                        // kMesh: its render mesh
  std::vector<FaceDescription> faces;  // kPolysurface
  ON_UUID definition = ON_nil_uuid;    // kInstance: nil names none
  std::optional<ON_Xform> xform;       // kInstance
  ON_UUID id = ON_nil_uuid;
  std::wstring name;
  int layerIndex = 0;               // in DocumentDescription::layers
  std::optional<ON_UUID> material;  // its own material's RDK instance id
  std::optional<ObjectState> state;
  std::optional<bool> reference;
  std::optional<bool> active;
};

struct DefinitionDescription {
  ON_UUID id = ON_nil_uuid;
  std::wstring name;
  std::optional<bool> deleted;
  std::optional<bool> hidden;
  std::vector<ObjectDescription> objects;
};

struct LightDescription {
  ON_Light light;  // with its id and name
  int layerIndex = 0;
  std::optional<bool> deleted;
  std::optional<bool> active;
};

struct DocumentDescription {
  std::optional<std::wstring> path;
  std::optional<ON::LengthUnitSystem> units;
  std::vector<MaterialDescription> materials;
  // Never empty: a file without layers has one named Default.
  std::vector<LayerDescription> layers;
  std::vector<DefinitionDescription> definitions;
  std::vector<ObjectDescription> objects;
  std::vector<LightDescription> lights;
  std::vector<ON_3dmView> namedViews;
  // The active view the file asks for: absent = keep the host's view, a null
  // viewport ("view": null) = no active view.
  bool hasView = false;
  std::optional<ON_Viewport> view;
  // Lines for the user about what was mended while reading; none when nothing.
  std::vector<std::string> notices;
};

}  // namespace document_file
