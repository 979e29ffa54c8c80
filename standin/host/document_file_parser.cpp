#include "document_file_parser.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "document_json_values.h"
#include "document_reader.h"
#include "document_trees.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace document_file {

namespace {

// Texture roles are the SDK's numbers; anything a 32-bit role can hold is kept
// as it stands so an unknown role still reaches the plug-in.
constexpr double kLargestTextureType = 4294967295.0;

// "line L, column C" of the character at byte `byte` (counted from 1) of the
// text; the column counts bytes.
std::string LineAndColumn(const std::string& text, std::size_t byte) {
  const std::size_t at = std::min(byte > 0 ? byte - 1 : 0, text.size());
  std::size_t line = 1, lineStart = 0;
  for (std::size_t i = 0; i < at; ++i) {
    if (text[i] != '\n') continue;
    ++line;
    lineStart = i + 1;
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1);
}

bool FacesInRange(const ON_Mesh& mesh) {
  for (int f = 0; f < mesh.m_F.Count(); ++f)
    for (const int v : mesh.m_F[f].vi)
      if (v < 0 || v >= mesh.m_V.Count()) return false;
  return true;
}

// Reads the mesh in `value` into `mesh`, which is empty.
void ReadMesh(const json& value, const std::string& field, ON_Mesh& mesh) {
  const json& m = Object(value, field);
  if (const json* vertices = Member(m, "vertices")) {
    Array(*vertices, field + ".vertices");
    mesh.m_V.Reserve(static_cast<int>(vertices->size()));
    for (size_t i = 0; i < vertices->size(); ++i) {
      const ON_3dVector v = Vector((*vertices)[i], field + ".vertices[" + std::to_string(i) + "]");
      mesh.m_V.Append(ON_3fPoint(float(v.x), float(v.y), float(v.z)));
    }
  }
  if (const json* normals = Member(m, "normals")) {
    Array(*normals, field + ".normals");
    for (size_t i = 0; i < normals->size(); ++i) {
      const ON_3dVector v = Vector((*normals)[i], field + ".normals[" + std::to_string(i) + "]");
      mesh.m_N.Append(ON_3fVector(float(v.x), float(v.y), float(v.z)));
    }
  }
  if (const json* uvs = Member(m, "uvs")) {
    Array(*uvs, field + ".uvs");
    for (size_t i = 0; i < uvs->size(); ++i) {
      const std::string f = field + ".uvs[" + std::to_string(i) + "]";
      const json& uv = (*uvs)[i];
      if (!uv.is_array() || uv.size() != 2) Fail(f, "expected [u, v]");
      mesh.m_T.Append(ON_2fPoint(float(Number(uv[0], f)), float(Number(uv[1], f))));
    }
  }
  if (const json* faces = Member(m, "faces")) {
    Array(*faces, field + ".faces");
    for (size_t i = 0; i < faces->size(); ++i) {
      const std::string f = field + ".faces[" + std::to_string(i) + "]";
      const json& face = (*faces)[i];
      if (!face.is_array() || (face.size() != 3 && face.size() != 4))
        Fail(f, "expected three or four vertex numbers");
      int vi[4];
      for (size_t k = 0; k < face.size(); ++k) {
        if (!face[k].is_number_integer()) Fail(f, "vertex numbers are integers");
        vi[k] = static_cast<int>(Integer(face[k], f, INT_MIN, INT_MAX));
      }
      host::AppendFace(mesh, vi[0], vi[1], vi[2], face.size() == 3 ? vi[2] : vi[3]);
    }
  }
  // A render mesh always has vertex normals: where the file gives none, the
  // faces give them, as the application computes them (when every face names
  // vertices the mesh has; the plug-in copes with the others as they are).
  if (!Member(m, "normals") && mesh.m_F.Count() > 0 && FacesInRange(mesh))
    mesh.ComputeVertexNormals();
}

PhysicallyBasedDescription PhysicallyBased(const json& value, const std::string& f) {
  const json& p = Object(value, f);
  PhysicallyBasedDescription pbr;
  if (const json* v = Member(p, "base_color")) pbr.baseColor = FloatColour(*v, f + ".base_color");
  if (const json* v = Member(p, "emission")) pbr.emission = FloatColour(*v, f + ".emission");
  if (const json* v = Member(p, "opacity")) pbr.opacity = Number(*v, f + ".opacity");
  if (const json* v = Member(p, "roughness")) pbr.roughness = Number(*v, f + ".roughness");
  if (const json* v = Member(p, "metallic")) pbr.metallic = Number(*v, f + ".metallic");
  if (const json* v = Member(p, "specular")) pbr.specular = Number(*v, f + ".specular");
  if (const json* v = Member(p, "opacity_ior")) pbr.opacityIor = Number(*v, f + ".opacity_ior");
  return pbr;
}

ON_Texture Texture(const json& value, const std::string& f) {
  const json& tj = Object(value, f);
  ON_Texture texture;
  if (const json* v = Member(tj, "type"))
    texture.m_type = static_cast<ON_Texture::TYPE>(
        static_cast<unsigned>(Integer(*v, f + ".type", 0, kLargestTextureType)));
  if (const json* v = Member(tj, "on")) texture.m_bOn = Bool(*v, f + ".on");
  if (const json* v = Member(tj, "path"))
    texture.m_image_file_reference = host::FileReferenceAsWritten(Text(*v, f + ".path").c_str());
  if (const json* v = Member(tj, "amount")) texture.m_blend_constant_A = Number(*v, f + ".amount");
  if (const json* v = Member(tj, "uvw")) texture.m_uvw = Transform(*v, f + ".uvw");
  return texture;
}

MaterialDescription Material(const json& m, const std::string& field) {
  MaterialDescription material;
  material.id = Id(m, field);
  material.name = Name(m, field);
  if (const json* v = Member(m, "diffuse")) material.diffuse = ByteColour(*v, field + ".diffuse");
  if (const json* v = Member(m, "emission"))
    material.emission = ByteColour(*v, field + ".emission");
  if (const json* v = Member(m, "transparency"))
    material.transparency = Number(*v, field + ".transparency");
  if (const json* v = Member(m, "reflectivity"))
    material.reflectivity = Number(*v, field + ".reflectivity");
  if (const json* v = Member(m, "fresnel")) material.fresnel = Bool(*v, field + ".fresnel");
  if (const json* v = Member(m, "shine")) material.shine = Number(*v, field + ".shine");
  if (const json* v = Member(m, "ior")) material.ior = Number(*v, field + ".ior");
  if (const json* v = Member(m, "pbr")) material.pbr = PhysicallyBased(*v, field + ".pbr");
  if (const json* textures = Member(m, "textures")) {
    Array(*textures, field + ".textures");
    for (size_t t = 0; t < textures->size(); ++t)
      material.textures.push_back(
          Texture((*textures)[t], field + ".textures[" + std::to_string(t) + "]"));
  }
  if (const json* v = Member(m, "rdk")) material.listed = Bool(*v, field + ".rdk");
  return material;
}

ON_Viewport Viewport(const json& value, const std::string& field) {
  const json& v = Object(value, field);
  ON_Viewport vp;
  const size_t projection =
      Keyword(v, "projection", field, {"perspective", "parallel", "twopoint"}).value_or(0);
  vp.SetProjection(projection == 1 ? ON::view_projection::parallel_view
                                   : ON::view_projection::perspective_view);
  if (const json* p = Member(v, "location")) vp.SetCameraLocation(Point(*p, field + ".location"));
  if (const json* p = Member(v, "direction"))
    vp.SetCameraDirection(Vector(*p, field + ".direction"));
  if (const json* p = Member(v, "up")) vp.SetCameraUp(Vector(*p, field + ".up"));
  if (const json* p = Member(v, "target")) vp.SetTargetPoint(Point(*p, field + ".target"));
  if (const json* f = Member(v, "frustum")) {
    const std::string ff = field + ".frustum";
    if (!f->is_array() || f->size() != 6)
      Fail(ff, "expected [left, right, bottom, top, near, far]");
    double d[6];
    for (int i = 0; i < 6; ++i) d[i] = Number((*f)[i], ff);
    vp.SetFrustum(d[0], d[1], d[2], d[3], d[4], d[5]);
  }
  // Last, once the camera and frustum are in place: the host locks the camera
  // up to the world Z axis and keeps the frustum's sides symmetric. A camera
  // that looks along the Z axis has no level direction to turn to.
  if (projection == 2 && !host::MakeTwoPoint(vp)) Fail(field, host::kNoTwoPointView);
  return vp;
}

// Reads the sections that name layers against the layers read before them.
class Parser {
 public:
  explicit Parser(DocumentDescription& document) : m_document(document) {}
  void ReadDocument(const json& root);

 private:
  void ReadLayers(const json& layers);
  // Reads the object into `object`, which is empty.
  void ReadObject(const json& o, const std::string& field, ObjectDescription& object) const;
  void ReadDefinitions(const json& definitions);
  // Cuts the references inside definitions that would place a block inside
  // itself, with a notice.
  void CutSelfReferences();
  void ReadLights(const json& lights);
  // The place of the layer an object or light names by id or name; the first
  // layer when it names none.
  int LayerIndex(const json& object, const std::string& field) const;

  DocumentDescription& m_document;
};

void Parser::ReadLayers(const json& layers) {
  std::vector<LayerDescription>& read = m_document.layers;
  // The layers that name a parent, by place, with the value and its field:
  // a parent may come later in the file.
  std::vector<std::pair<size_t, const json*>> parents;
  EachObject(layers, "layers", [&](const json& l, const std::string& field) {
    LayerDescription layer;
    layer.layer.SetId(Id(l, field));
    layer.layer.SetName(host::OnText(Name(l, field)));
    if (const json* m = Member(l, "material")) layer.material = Reference(*m, field + ".material");
    if (const json* p = Member(l, "parent")) parents.emplace_back(read.size(), p);
    read.push_back(std::move(layer));
  });
  auto fieldOf = [](size_t place) { return "layers[" + std::to_string(place) + "].parent"; };
  // A parent by id may be missing, as in a .3dm file; by name it must be there.
  for (const auto& [place, value] : parents) {
    const std::wstring text = Text(*value, fieldOf(place));
    ON_UUID id;
    if (!host::TryParseUuid(text, &id)) {
      const auto named = std::find_if(read.begin(), read.end(), [&](const LayerDescription& l) {
        return host::WideOf(l.layer.Name()) == text;
      });
      if (named == read.end()) Fail(fieldOf(place), "no layer has this id or name");
      id = named->layer.Id();
    }
    read[place].layer.SetParentLayerId(id);
  }
  std::vector<host::LayerNode> nodes;
  for (const LayerDescription& l : read)
    nodes.push_back({l.layer.Id(), l.layer.Name(), l.layer.ParentLayerId()});
  const host::LayerTreeCheck tree = host::CheckLayerTree(nodes);
  if (tree.circle >= 0)
    Fail(fieldOf(static_cast<size_t>(tree.circle)),
         "a layer inside itself: " + platform::WideToUtf8(tree.circlePath));
  for (const size_t orphan : tree.orphans) read[orphan].layer.SetParentLayerId(ON_nil_uuid);
  if (!tree.orphans.empty())
    m_document.notices.push_back(host::OrphanLayerNotice(nodes, tree.orphans));
}

void Parser::CutSelfReferences() {
  std::vector<host::BlockNode> definitions;
  for (DefinitionDescription& d : m_document.definitions) {
    host::BlockNode& node = definitions.emplace_back();
    node.id = d.id;
    for (ObjectDescription& o : d.objects)
      if (o.kind == ObjectKind::kInstance) node.placed.push_back(&o.definition);
  }
  const std::string notice = host::SelfReferenceNotice(host::CutSelfReferences(definitions));
  if (!notice.empty()) m_document.notices.push_back(notice);
}

int Parser::LayerIndex(const json& object, const std::string& field) const {
  const json* layer = Member(object, "layer");
  if (!layer) return 0;
  const std::vector<LayerDescription>& layers = m_document.layers;
  ON_UUID id;
  if (layer->is_string() && host::TryParseUuid(Text(*layer, field + ".layer"), &id)) {
    for (size_t i = 0; i < layers.size(); ++i)
      if (layers[i].layer.Id() == id) return static_cast<int>(i);
    Fail(field + ".layer", "no layer has this id");
  }
  const std::wstring name = Text(*layer, field + ".layer");
  for (size_t i = 0; i < layers.size(); ++i)
    if (host::WideOf(layers[i].layer.Name()) == name) return static_cast<int>(i);
  Fail(field + ".layer", "no layer has this id or name");
}

void Parser::ReadObject(const json& o, const std::string& field, ObjectDescription& object) const {
  if (const json* instance = Member(o, "instance")) {
    const std::string f = field + ".instance";
    Object(*instance, f);
    object.kind = ObjectKind::kInstance;
    // Without a definition the reference names none (the nil id), as a
    // reference to a definition that is gone does.
    if (const json* definition = Member(*instance, "definition"))
      object.definition = Reference(*definition, f + ".definition");
    if (const json* x = Member(*instance, "xform")) object.xform = Transform(*x, f + ".xform");
  } else if (const json* faces = Member(o, "faces")) {
    Array(*faces, field + ".faces");
    object.kind = ObjectKind::kPolysurface;
    object.faces.reserve(faces->size());  // a face's mesh is copied, not moved
    for (size_t i = 0; i < faces->size(); ++i) {
      const std::string f = field + ".faces[" + std::to_string(i) + "]";
      const json& face = Object((*faces)[i], f);
      FaceDescription& description = object.faces.emplace_back();
      if (const json* m = Member(face, "material"))
        description.material = Reference(*m, f + ".material");
      if (const json* m = Member(face, "mesh")) ReadMesh(*m, f + ".mesh", description.mesh);
    }
  } else {
    object.kind = ObjectKind::kMesh;
    if (const json* m = Member(o, "mesh")) ReadMesh(*m, field + ".mesh", object.mesh);
  }
  object.id = Id(o, field);
  object.name = Name(o, field);
  object.layerIndex = LayerIndex(o, field);
  if (const json* m = Member(o, "material")) object.material = Reference(*m, field + ".material");
  if (const auto state = Keyword(o, "state", field, {"normal", "locked", "hidden", "deleted"})) {
    constexpr ObjectState kStates[] = {ObjectState::kNormal, ObjectState::kLocked,
                                       ObjectState::kHidden, ObjectState::kDeleted};
    object.state = kStates[*state];
  }
  if (const json* r = Member(o, "reference")) object.reference = Bool(*r, field + ".reference");
  if (const json* r = Member(o, "active")) object.active = Bool(*r, field + ".active");
}

void Parser::ReadDefinitions(const json& definitions) {
  EachObject(definitions, "instance_definitions", [&](const json& d, const std::string& field) {
    DefinitionDescription definition;
    definition.id = Id(d, field);
    definition.name = Name(d, field);
    if (const json* v = Member(d, "deleted")) definition.deleted = Bool(*v, field + ".deleted");
    if (const json* v = Member(d, "hidden")) definition.hidden = Bool(*v, field + ".hidden");
    if (const json* objects = Member(d, "objects")) {
      if (objects->is_array()) definition.objects.reserve(objects->size());
      EachObject(*objects, field + ".objects", [&](const json& o, const std::string& at) {
        ReadObject(o, at, definition.objects.emplace_back());
      });
    }
    m_document.definitions.push_back(std::move(definition));
  });
}

void Parser::ReadLights(const json& lights) {
  EachObject(lights, "lights", [&](const json& l, const std::string& field) {
    LightDescription light;
    ON_Light& on = light.light;
    on.m_light_id = Id(l, field);
    on.SetLightName(Name(l, field).c_str());
    light.layerIndex = LayerIndex(l, field);
    using S = ON::light_style;
    constexpr S kStyles[] = {S::world_point_light,       S::world_spot_light,
                             S::world_directional_light, S::world_linear_light,
                             S::world_rectangular_light, S::ambient_light};
    on.SetStyle(
        kStyles[Keyword(l, "kind", field,
                        {"point", "spot", "directional", "linear", "rectangular", "ambient"})
                    .value_or(0)]);
    if (const json* v = Member(l, "location")) on.SetLocation(Point(*v, field + ".location"));
    if (const json* v = Member(l, "direction")) on.SetDirection(Vector(*v, field + ".direction"));
    if (const json* v = Member(l, "length")) on.SetLength(Vector(*v, field + ".length"));
    if (const json* v = Member(l, "width")) on.SetWidth(Vector(*v, field + ".width"));
    if (const json* v = Member(l, "on")) on.Enable(Bool(*v, field + ".on"));
    if (const json* v = Member(l, "deleted")) light.deleted = Bool(*v, field + ".deleted");
    if (const json* v = Member(l, "active")) light.active = Bool(*v, field + ".active");
    m_document.lights.push_back(std::move(light));
  });
}

void Parser::ReadDocument(const json& root) {
  Object(root, "document");
  if (const json* path = Member(root, "path")) m_document.path = Text(*path, "path");
  if (const json* units = Member(root, "units")) {
    ON::LengthUnitSystem u;
    if (!units->is_string() || !UnitSystemFromName(units->get<std::string>(), &u))
      Fail("units", "unknown unit name");
    m_document.units = u;
  }
  if (const json* v = Member(root, "materials")) {
    EachObject(*v, "materials", [&](const json& m, const std::string& field) {
      m_document.materials.push_back(Material(m, field));
    });
  }
  if (const json* v = Member(root, "layers")) ReadLayers(*v);
  if (m_document.layers.empty()) {
    LayerDescription defaultLayer;
    defaultLayer.layer.SetId(host::NewUuid());
    defaultLayer.layer.SetName(L"Default");
    m_document.layers.push_back(std::move(defaultLayer));
  }
  if (const json* v = Member(root, "instance_definitions")) ReadDefinitions(*v);
  CutSelfReferences();
  if (const json* objects = Member(root, "objects")) {
    if (objects->is_array()) m_document.objects.reserve(objects->size());
    EachObject(*objects, "objects", [&](const json& o, const std::string& field) {
      ReadObject(o, field, m_document.objects.emplace_back());
    });
  }
  if (const json* v = Member(root, "lights")) ReadLights(*v);
  if (const json* v = Member(root, "named_views")) {
    EachObject(*v, "named_views", [&](const json& n, const std::string& field) {
      ON_3dmView view;
      view.m_named_view_id = Id(n, field);
      view.m_name = host::OnText(Name(n, field));
      if (const json* vp = Member(n, "viewport")) view.m_vp = Viewport(*vp, field + ".viewport");
      m_document.namedViews.push_back(view);
    });
  }
  if (const json* v = Member(root, "view")) {
    m_document.hasView = true;
    if (!v->is_null()) m_document.view = Viewport(*v, "view");
  }
}

}  // namespace

bool ParseJsonText(const std::string& text, const std::string& fileName, json* root,
                   std::string* error) {
  try {
    *root = json::parse(text);
  } catch (const json::parse_error& e) {
    *error = fileName + ": not valid JSON (" + LineAndColumn(text, e.byte) + ")";
    return false;
  } catch (const json::out_of_range&) {
    // A number beyond the range of a double, such as 1e999.
    *error = fileName + ": not valid JSON (a number out of range)";
    return false;
  }
  return true;
}

DocumentDescription ParseDocument(const json& root) {
  DocumentDescription document;
  Parser(document).ReadDocument(root);
  return document;
}

}  // namespace document_file
