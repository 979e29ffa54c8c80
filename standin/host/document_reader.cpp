#include "document_reader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/platform.h"
#include "standin/host/sdk_values.h"

using host::NewUuid;
using host::OnText;
using host::WideOf;
using nlohmann::json;

namespace {

// Texture roles are the SDK's numbers; anything a 32-bit role can hold is kept
// as it stands so an unknown role still reaches the plug-in.
constexpr double kLargestTextureType = 4294967295.0;

// A field that is not what the format says: the message names it.
struct FieldError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Reader {
 public:
  explicit Reader(CRhinoDoc& doc) : m_doc(doc) {}

  void ReadDocument(const json& root);
  bool hasView = false;
  std::optional<ON_Viewport> view;

 private:
  [[noreturn]] static void Fail(const std::string& field, const std::string& what) {
    throw FieldError("field '" + field + "': " + what);
  }

  static const json* Member(const json& object, const char* key) {
    auto it = object.find(key);
    return (it == object.end()) ? nullptr : &*it;
  }

  static double Number(const json& value, const std::string& field) {
    if (value.is_number()) return value.get<double>();
    if (value.is_string()) {
      const std::string s = value.get<std::string>();
      if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
      if (s == "inf") return std::numeric_limits<double>::infinity();
      if (s == "-inf") return -std::numeric_limits<double>::infinity();
    }
    Fail(field, "expected a number");
  }

  // A whole number within [lo, hi]. A value outside the target type would
  // otherwise be converted with undefined or wrapped results.
  static double Integer(const json& value, const std::string& field, double lo, double hi) {
    const double v = value.is_number() ? value.get<double>() : std::nan("");
    if (!(v >= lo && v <= hi) || v != std::floor(v))
      Fail(field, "expected a whole number from " + std::to_string(static_cast<long long>(lo)) +
                      " to " + std::to_string(static_cast<long long>(hi)));
    return v;
  }

  static std::wstring Text(const json& value, const std::string& field) {
    if (!value.is_string()) Fail(field, "expected a string");
    auto wide = platform::Utf8ToWide(value.get<std::string>());
    if (!wide) Fail(field, "not valid UTF-8");
    return *wide;
  }

  // The member `key` of `object`, which must be one of `words`: its place
  // among them, or none when the member is absent.
  static std::optional<std::size_t> Keyword(const json& object, const char* key,
                                            const std::string& field,
                                            std::initializer_list<const char*> words) {
    const json* value = Member(object, key);
    if (!value) return std::nullopt;
    if (value->is_string()) {
      const std::string& text = value->get_ref<const std::string&>();
      for (std::size_t place = 0; place < words.size(); ++place)
        if (text == words.begin()[place]) return place;
    }
    std::string allowed;
    for (std::size_t place = 0; place < words.size(); ++place) {
      if (place > 0) allowed += place + 1 == words.size() ? " or " : ", ";
      allowed += words.begin()[place];
    }
    Fail(field + "." + key, "expected " + allowed);
  }

  static bool Bool(const json& value, const std::string& field) {
    if (!value.is_boolean()) Fail(field, "expected true or false");
    return value.get<bool>();
  }

  static const json& Array(const json& value, const std::string& field) {
    if (!value.is_array()) Fail(field, "expected an array");
    return value;
  }

  static const json& Object(const json& value, const std::string& field) {
    if (!value.is_object()) Fail(field, "expected an object");
    return value;
  }

  // Calls read(object, field) for each element of an array of objects, with
  // the element's own field name ("layers[2]").
  template <class Read>
  static void EachObject(const json& array, const std::string& field, Read read) {
    Array(array, field);
    for (size_t i = 0; i < array.size(); ++i) {
      const std::string element = field + "[" + std::to_string(i) + "]";
      read(Object(array[i], element), element);
    }
  }

  static ON_3dVector Vector(const json& value, const std::string& field) {
    if (!value.is_array() || value.size() != 3) Fail(field, "expected an array of three numbers");
    return ON_3dVector(Number(value[0], field + "[0]"), Number(value[1], field + "[1]"),
                       Number(value[2], field + "[2]"));
  }

  static ON_3dPoint Point(const json& value, const std::string& field) {
    return ON_3dPoint(Vector(value, field));
  }

  static ON_UUID Id(const json& object, const std::string& field) {
    const json* id = Member(object, "id");
    if (!id) return NewUuid();
    ON_UUID uuid;
    if (!host::TryParseUuid(Text(*id, field + ".id"), &uuid))
      Fail(field + ".id", "not a UUID text");
    return uuid;
  }

  static ON_UUID Reference(const json& value, const std::string& field) {
    ON_UUID uuid;
    if (!host::TryParseUuid(Text(value, field), &uuid)) Fail(field, "not a UUID text");
    return uuid;
  }

  static std::wstring Name(const json& object, const std::string& field) {
    const json* name = Member(object, "name");
    return name ? Text(*name, field + ".name") : std::wstring();
  }

  static ON_Xform Transform(const json& value, const std::string& field) {
    if (!value.is_array() || value.size() != 16) Fail(field, "expected 16 numbers");
    ON_Xform x;
    for (int i = 0; i < 16; ++i)
      x.m_xform[i / 4][i % 4] = Number(value[i], field + "[" + std::to_string(i) + "]");
    return x;
  }

  static ON_Color ByteColour(const json& value, const std::string& field);
  static ON_4fColor FloatColour(const json& value, const std::string& field);

  void ReadLayers(const json& layers);
  void ReadMaterials(const json& materials);
  void ReadMaterial(const json& m, const std::string& field);
  static ON_Mesh Mesh(const json& value, const std::string& field);
  std::unique_ptr<CRhinoObject> ObjectOf(const json& o, const std::string& field);
  void ReadDefinitions(const json& definitions);
  void ReadLights(const json& lights);
  void ReadNamedViews(const json& views);
  static ON_Viewport Viewport(const json& value, const std::string& field);
  int LayerIndex(const json& object, const std::string& field);

  CRhinoDoc& m_doc;
};

ON_Color Reader::ByteColour(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() < 3 || value.size() > 4)
    Fail(field, "expected [r, g, b] or [r, g, b, a] bytes");
  int c[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < value.size(); ++i) {
    const double v = Number(value[i], field);
    if (!(v >= 0 && v <= 255)) Fail(field, "a colour byte must lie in 0..255");
    c[i] = static_cast<int>(v);
  }
  return ON_Color(c[0], c[1], c[2], c[3]);
}

ON_4fColor Reader::FloatColour(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() < 3 || value.size() > 4)
    Fail(field, "expected [r, g, b] or [r, g, b, a] numbers");
  float c[4] = {0, 0, 0, 1};
  for (size_t i = 0; i < value.size(); ++i) c[i] = static_cast<float>(Number(value[i], field));
  return ON_4fColor(c[0], c[1], c[2], c[3]);
}

void Reader::ReadLayers(const json& layers) {
  EachObject(layers, "layers", [&](const json& l, const std::string& field) {
    CRhinoLayer layer;
    layer.SetId(Id(l, field));
    layer.SetName(OnText(Name(l, field)));
    if (const json* m = Member(l, "material"))
      layer.m_standin_material_id = Reference(*m, field + ".material");
    m_doc.m_layer_table.AddLayer(layer);
  });
}

void Reader::ReadMaterials(const json& materials) {
  EachObject(materials, "materials",
             [&](const json& m, const std::string& field) { ReadMaterial(m, field); });
}

void Reader::ReadMaterial(const json& m, const std::string& field) {
  auto content = std::make_unique<CRhRdkMaterial>();
  const ON_UUID id = Id(m, field);
  const std::wstring name = Name(m, field);
  content->m_id = id;
  content->m_name = OnText(name);
  ON_Material& material = content->m_material;
  material.SetId(id);
  material.SetName(OnText(name));
  material.SetRdkMaterialInstanceId(id);
  if (const json* v = Member(m, "diffuse")) material.m_diffuse = ByteColour(*v, field + ".diffuse");
  if (const json* v = Member(m, "emission"))
    material.m_emission = ByteColour(*v, field + ".emission");
  if (const json* v = Member(m, "transparency"))
    material.m_transparency = Number(*v, field + ".transparency");
  if (const json* v = Member(m, "reflectivity"))
    material.m_reflectivity = Number(*v, field + ".reflectivity");
  if (const json* v = Member(m, "fresnel"))
    material.SetFresnelReflections(Bool(*v, field + ".fresnel"));
  if (const json* v = Member(m, "shine")) material.m_shine = Number(*v, field + ".shine");
  if (const json* v = Member(m, "ior")) material.m_index_of_refraction = Number(*v, field + ".ior");
  if (const json* pbrValue = Member(m, "pbr")) {
    const std::string f = field + ".pbr";
    const json& p = Object(*pbrValue, f);
    material.ToPhysicallyBased();
    // The physically based view of the material: a new one at each call, kept while used.
    const std::shared_ptr<ON_PhysicallyBasedMaterial> pbr = material.PhysicallyBased();
    if (const json* v = Member(p, "base_color"))
      pbr->SetBaseColor(FloatColour(*v, f + ".base_color"));
    if (const json* v = Member(p, "emission")) pbr->SetEmission(FloatColour(*v, f + ".emission"));
    if (const json* v = Member(p, "opacity")) pbr->SetOpacity(Number(*v, f + ".opacity"));
    if (const json* v = Member(p, "roughness")) pbr->SetRoughness(Number(*v, f + ".roughness"));
    if (const json* v = Member(p, "metallic")) pbr->SetMetallic(Number(*v, f + ".metallic"));
    if (const json* v = Member(p, "specular")) pbr->SetSpecular(Number(*v, f + ".specular"));
    if (const json* v = Member(p, "opacity_ior"))
      pbr->SetOpacityIOR(Number(*v, f + ".opacity_ior"));
  }
  if (const json* textures = Member(m, "textures")) {
    Array(*textures, field + ".textures");
    for (size_t t = 0; t < textures->size(); ++t) {
      const std::string f = field + ".textures[" + std::to_string(t) + "]";
      const json& tj = Object((*textures)[t], f);
      ON_Texture texture;
      if (const json* v = Member(tj, "type"))
        texture.m_type = static_cast<ON_Texture::TYPE>(
            static_cast<unsigned>(Integer(*v, f + ".type", 0, kLargestTextureType)));
      if (const json* v = Member(tj, "on")) texture.m_bOn = Bool(*v, f + ".on");
      if (const json* v = Member(tj, "path"))
        texture.m_image_file_reference =
            host::FileReferenceAsWritten(Text(*v, f + ".path").c_str());
      if (const json* v = Member(tj, "amount"))
        texture.m_blend_constant_A = Number(*v, f + ".amount");
      if (const json* v = Member(tj, "uvw")) texture.m_uvw = Transform(*v, f + ".uvw");
      material.m_textures.Append(texture);
    }
  }
  bool listed = true;
  if (const json* v = Member(m, "rdk")) listed = Bool(*v, field + ".rdk");
  m_doc.StandinRdk().StandinAdd(std::move(content), listed);
}

bool FacesInRange(const ON_Mesh& mesh) {
  for (int f = 0; f < mesh.m_F.Count(); ++f)
    for (const int v : mesh.m_F[f].vi)
      if (v < 0 || v >= mesh.m_V.Count()) return false;
  return true;
}

ON_Mesh Reader::Mesh(const json& value, const std::string& field) {
  const json& m = Object(value, field);
  ON_Mesh mesh;
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
  return mesh;
}

int Reader::LayerIndex(const json& object, const std::string& field) {
  const json* layer = Member(object, "layer");
  if (!layer) return 0;
  ON_UUID id;
  if (layer->is_string() && host::TryParseUuid(Text(*layer, field + ".layer"), &id)) {
    const int index = m_doc.m_layer_table.FindLayerFromId(id);
    if (index < 0) Fail(field + ".layer", "no layer has this id");
    return index;
  }
  const std::wstring name = Text(*layer, field + ".layer");
  for (int i = 0; i < m_doc.m_layer_table.LayerCount(); ++i)
    if (WideOf(m_doc.m_layer_table[i].Name()) == name) return i;
  Fail(field + ".layer", "no layer has this id or name");
}

std::unique_ptr<CRhinoObject> Reader::ObjectOf(const json& o, const std::string& field) {
  std::unique_ptr<CRhinoObject> object;
  if (const json* instance = Member(o, "instance")) {
    const std::string f = field + ".instance";
    Object(*instance, f);
    auto reference = std::make_unique<CRhinoInstanceObject>();
    // Without a definition the reference names none (the nil id), as a
    // reference to a definition that is gone does.
    if (const json* definition = Member(*instance, "definition"))
      reference->m_definition_id = Reference(*definition, f + ".definition");
    if (const json* x = Member(*instance, "xform"))
      reference->m_xform = Transform(*x, f + ".xform");
    object = std::move(reference);
  } else if (const json* faces = Member(o, "faces")) {
    Array(*faces, field + ".faces");
    std::vector<CRhinoBrepObject::Face> brepFaces;
    for (size_t i = 0; i < faces->size(); ++i) {
      const std::string f = field + ".faces[" + std::to_string(i) + "]";
      const json& face = Object((*faces)[i], f);
      CRhinoBrepObject::Face brepFace;
      if (const json* m = Member(face, "material"))
        brepFace.material_id = Reference(*m, f + ".material");
      if (const json* m = Member(face, "mesh")) brepFace.mesh = Mesh(*m, f + ".mesh");
      brepFaces.push_back(std::move(brepFace));
    }
    auto brep = std::make_unique<CRhinoBrepObject>();
    brep->StandinSetFaces(std::move(brepFaces));
    object = std::move(brep);
  } else {
    auto meshObject = std::make_unique<CRhinoMeshObject>();
    if (const json* m = Member(o, "mesh")) meshObject->m_mesh = Mesh(*m, field + ".mesh");
    object = std::move(meshObject);
  }
  ON_3dmObjectAttributes& a = object->StandinAttributes();
  a.m_uuid = Id(o, field);
  a.m_name = OnText(Name(o, field));
  a.m_layer_index = LayerIndex(o, field);
  if (const json* m = Member(o, "material"))
    object->StandinSetMaterial(Reference(*m, field + ".material"));
  if (const auto state = Keyword(o, "state", field, {"normal", "locked", "hidden", "deleted"})) {
    constexpr ON::object_mode kModes[] = {ON::object_mode::normal_object,
                                          ON::object_mode::locked_object,
                                          ON::object_mode::hidden_object};
    if (*state < std::size(kModes))
      a.SetMode(kModes[*state]);
    else
      object->StandinSetDeleted(true);
  }
  if (const json* r = Member(o, "reference"))
    object->StandinSetReference(Bool(*r, field + ".reference"));
  if (const json* r = Member(o, "active")) object->StandinSetActive(Bool(*r, field + ".active"));
  return object;
}

void Reader::ReadDefinitions(const json& definitions) {
  EachObject(definitions, "instance_definitions", [&](const json& d, const std::string& field) {
    auto definition = std::make_unique<CRhinoInstanceDefinition>();
    definition->SetId(Id(d, field));
    definition->SetName(OnText(Name(d, field)));
    if (const json* v = Member(d, "deleted"))
      definition->SetDeletedModelComponentState(Bool(*v, field + ".deleted"), nullptr);
    if (const json* v = Member(d, "hidden"))
      definition->SetHiddenModelComponentState(Bool(*v, field + ".hidden"));
    definition->m_doc = &m_doc;
    if (const json* objects = Member(d, "objects")) {
      EachObject(*objects, field + ".objects", [&](const json& o, const std::string& at) {
        auto object = ObjectOf(o, at);
        object->StandinSetDocument(&m_doc);
        object->StandinSetActive(false);  // definition geometry is not in the document itself
        definition->StandinAddObject(std::move(object));
      });
    }
    m_doc.m_instance_definition_table.StandinAdd(std::move(definition));
  });
}

void Reader::ReadLights(const json& lights) {
  EachObject(lights, "lights", [&](const json& l, const std::string& field) {
    auto light = std::make_unique<CRhinoLight>();
    ON_Light& on = light->m_light;
    const ON_UUID id = Id(l, field);
    on.m_light_id = id;
    on.SetLightName(Name(l, field).c_str());
    ON_3dmObjectAttributes& a = light->StandinAttributes();
    a.m_uuid = id;
    a.m_name = on.LightName();
    a.m_layer_index = LayerIndex(l, field);
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
    if (const json* v = Member(l, "deleted"))
      light->StandinSetDeleted(Bool(*v, field + ".deleted"));
    if (const json* v = Member(l, "active")) light->StandinSetActive(Bool(*v, field + ".active"));
    light->StandinSetDocument(&m_doc);
    m_doc.m_light_table.StandinAdd(std::move(light));
  });
}

ON_Viewport Reader::Viewport(const json& value, const std::string& field) {
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
  // up to the world Z axis and keeps the frustum's sides symmetric.
  if (projection == 2) vp.ChangeToTwoPointPerspectiveProjection(0.0, ON_3dVector::ZAxis, 50.0);
  return vp;
}

void Reader::ReadNamedViews(const json& views) {
  EachObject(views, "named_views", [&](const json& v, const std::string& field) {
    ON_3dmView view;
    view.m_named_view_id = Id(v, field);
    view.m_name = OnText(Name(v, field));
    if (const json* vp = Member(v, "viewport")) view.m_vp = Viewport(*vp, field + ".viewport");
    m_doc.StandinProperties().StandinAddNamedView(view);
  });
}

void Reader::ReadDocument(const json& root) {
  Object(root, "document");
  if (const json* path = Member(root, "path")) m_doc.SetPathName(OnText(Text(*path, "path")));
  if (const json* units = Member(root, "units")) {
    ON::LengthUnitSystem u;
    if (!units->is_string() || !UnitSystemFromName(units->get<std::string>(), &u))
      Fail("units", "unknown unit name");
    m_doc.SetModelUnits(ON_UnitSystem(u));
  }
  if (const json* v = Member(root, "materials")) ReadMaterials(*v);
  if (const json* v = Member(root, "layers")) ReadLayers(*v);
  if (m_doc.m_layer_table.LayerCount() == 0) {
    CRhinoLayer defaultLayer;
    defaultLayer.SetId(NewUuid());
    defaultLayer.SetName(L"Default");
    m_doc.m_layer_table.AddLayer(defaultLayer);
  }
  if (const json* v = Member(root, "instance_definitions")) ReadDefinitions(*v);
  if (const json* objects = Member(root, "objects")) {
    EachObject(*objects, "objects", [&](const json& o, const std::string& field) {
      m_doc.StandinAddObject(ObjectOf(o, field));
    });
  }
  if (const json* v = Member(root, "lights")) ReadLights(*v);
  if (const json* v = Member(root, "named_views")) ReadNamedViews(*v);
  if (const json* v = Member(root, "view")) {
    hasView = true;
    if (!v->is_null()) view = Viewport(*v, "view");
  }
}

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

}  // namespace

bool UnitSystemFromName(const std::string& name, ON::LengthUnitSystem* units) {
  using U = ON::LengthUnitSystem;
  static const std::pair<const char*, U> kNames[] = {{"none", U::None},
                                                     {"unset", U::Unset},
                                                     {"microns", U::Microns},
                                                     {"millimeters", U::Millimeters},
                                                     {"centimeters", U::Centimeters},
                                                     {"meters", U::Meters},
                                                     {"kilometers", U::Kilometers},
                                                     {"inches", U::Inches},
                                                     {"feet", U::Feet},
                                                     {"yards", U::Yards},
                                                     {"miles", U::Miles}};
  for (const auto& [text, value] : kNames)
    if (name == text) {
      *units = value;
      return true;
    }
  return false;
}

DocumentReadResult ReadDocumentText(const std::string& text, const std::string& fileName,
                                    const std::wstring& absolutePath) {
  DocumentReadResult result;
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& e) {
    result.error = fileName + ": not valid JSON (" + LineAndColumn(text, e.byte) + ")";
    return result;
  } catch (const json::out_of_range&) {
    // A number beyond the range of a double, such as 1e999.
    result.error = fileName + ": not valid JSON (a number out of range)";
    return result;
  }
  auto doc = std::make_unique<CRhinoDoc>();
  doc->SetPathName(OnText(absolutePath));
  Reader reader(*doc);
  try {
    reader.ReadDocument(root);
  } catch (const std::exception& e) {
    result.error = fileName + ": " + e.what();
    return result;
  }
  result.doc = std::move(doc);
  result.hasView = reader.hasView;
  result.view = reader.view;
  return result;
}

DocumentReadResult ReadDocumentFile(const std::string& path) {
  const std::filesystem::path file_path = std::filesystem::u8path(path);
  std::ifstream file(file_path, std::ios::binary);
  if (!file) {
    DocumentReadResult result;
    result.error = path + ": cannot be opened";
    return result;
  }
  std::stringstream text;
  text << file.rdbuf();
  std::error_code ec;
  // Absolute and without "." or ".." parts, as a saved document's path is.
  const std::filesystem::path absolute =
      std::filesystem::absolute(file_path, ec).lexically_normal();
  auto wide = platform::Utf8ToWide(absolute.u8string());
  return ReadDocumentText(text.str(), path, wide ? *wide : std::wstring());
}
