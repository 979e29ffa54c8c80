#include "host_session.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "assimp_importer.h"
#include "document_reader.h"
#include "model_file_reader.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"

ON_Viewport DefaultHostViewport() {
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::perspective_view);
  vp.SetCameraLocation(ON_3dPoint(1000, -1000, 1000));
  vp.SetCameraDirection(ON_3dVector(-1, 1, -1));
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  const double halfWidth = std::tan(ON_RadiansFromDegrees(25.0));
  vp.SetFrustum(-halfWidth, halfWidth, -0.75 * halfWidth, 0.75 * halfWidth, 1.0, 10000.0);
  vp.SetTargetPoint(ON_3dPoint(0, 0, 0));
  return vp;
}

namespace {

// Whether the path ends in the suffix, in any case.
bool HasSuffix(const std::string& path, const std::string& suffix) {
  if (path.size() < suffix.size()) return false;
  std::string end = path.substr(path.size() - suffix.size());
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == suffix;
}

// Document files and .3dm files by their name; every other file is a 3D file
// for assimp.
DocumentReadResult ReadAnyDocument(const std::string& path, const std::string& defaultUnits) {
  if (HasSuffix(path, ".orvexdoc.json")) return ReadDocumentFile(path);
  if (HasSuffix(path, ".3dm")) return ReadModelFile(path);
  return ImportWithAssimp(path, defaultUnits);
}

// A host command's own spelling of a name typed in any case; null when the
// host has no such command.
const char* HostCommandSpelling(const std::string& typed) {
  static const char* const kNames[] = {
      "Exit",   "Wait", "Open", "Close",  "NoView", "Orbit", "Zoom",     "Projection",   "Units",
      "SaveAs", "Hide", "Show", "Delete", "Lock",   "Move",  "Material", "EditMaterial", "Undo"};
  for (const char* name : kNames)
    if (SameCommandName(typed, name)) return name;
  return nullptr;
}

// A finite number written whole, or nothing.
std::optional<double> ParseNumber(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

// A whole number from 0 to 255, or nothing.
std::optional<int> ParseByte(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 255) return std::nullopt;
  return static_cast<int>(value);
}

// A name typed on the command line as the document holds names.
std::optional<ON_wString> DocumentText(const std::string& utf8) {
  const auto wide = platform::Utf8ToWide(utf8);
  if (!wide) return std::nullopt;
  return host::OnText(*wide);
}

using rhino_standin::RaiseEvent;

// What an object shows apart from its geometry: its attributes and the
// material it wears of its own.
struct ObjectLook {
  CRhinoObjectAttributes attributes;
  ON_UUID material;
};

ObjectLook LookOf(const CRhinoObject& object) {
  return {object.Attributes(), object.StandinMaterial()};
}

void SetLook(CRhinoDoc& doc, CRhinoObject& object, const ObjectLook& look) {
  const CRhinoObjectAttributes old = object.Attributes();
  object.StandinAttributes() = look.attributes;
  object.StandinSetMaterial(look.material);
  RaiseEvent([&](CRhinoEventWatcher& w) { w.OnModifyObjectAttributes(doc, object, old); });
}

void SetLayerState(CRhinoDoc& doc, int index, bool visible, bool locked) {
  CRhinoLayer& layer = doc.m_layer_table.StandinLayer(index);
  const ON_Layer old(layer);
  layer.SetVisible(visible);
  layer.SetLocked(locked);
  RaiseEvent([&](CRhinoEventWatcher& w) {
    w.LayerTableEvent(CRhinoEventWatcher::layer_modified, doc.m_layer_table, index, &old);
  });
}

void SetObjectDeleted(CRhinoDoc& doc, CRhinoObject& object, bool deleted) {
  object.StandinSetDeleted(deleted);
  RaiseEvent([&](CRhinoEventWatcher& w) {
    if (deleted)
      w.OnDeleteObject(doc, object);
    else
      w.OnUnDeleteObject(doc, object);
  });
}

// A deleted definition keeps its place in the table, and its references stay
// in the document.
void SetDefinitionDeleted(CRhinoDoc& doc, int index, bool deleted) {
  CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  table.StandinDefinition(index)->SetDeletedModelComponentState(deleted, nullptr);
  RaiseEvent([&](CRhinoEventWatcher& w) {
    w.InstanceDefinitionTableEvent(
        deleted ? CRhinoEventWatcher::idef_deleted : CRhinoEventWatcher::idef_undeleted, table,
        index, nullptr);
  });
}

// Transforms the object's geometry in place; gives back what puts it back as it
// was, or nothing for an object the host cannot transform.
std::function<void()> TransformGeometry(CRhinoObject& object, const ON_Xform& xform) {
  if (auto* meshObject = dynamic_cast<CRhinoMeshObject*>(&object)) {
    ON_Mesh& mesh = meshObject->m_mesh;
    ON_Mesh before = mesh;
    mesh.Transform(xform);
    return [&mesh, before] { mesh = before; };
  }
  if (auto* brep = dynamic_cast<CRhinoBrepObject*>(&object)) {
    std::vector<CRhinoBrepObject::Face> faces = brep->Faces();
    const std::vector<CRhinoBrepObject::Face> before = faces;
    for (CRhinoBrepObject::Face& face : faces) face.mesh.Transform(xform);
    brep->StandinSetFaces(std::move(faces));  // joins the moved faces again
    return [brep, before] { brep->StandinSetFaces(before); };
  }
  if (auto* instance = dynamic_cast<CRhinoInstanceObject*>(&object)) {
    const ON_Xform before = instance->m_xform;
    instance->m_xform = xform * before;
    return [instance, before] { instance->m_xform = before; };
  }
  return nullptr;
}

// Rhino replaces a transformed object by a new one: the old one is deleted and
// the new one added, or undeleted when an undo brings it back. Here the two are
// the same object, changed in place; it is deleted while the watchers hear so.
void RaiseReplace(CRhinoDoc& doc, CRhinoObject& object, bool undoing) {
  RaiseEvent([&](CRhinoEventWatcher& w) { w.OnReplaceObject(doc, object, object); });
  object.StandinSetDeleted(true);
  RaiseEvent([&](CRhinoEventWatcher& w) { w.OnDeleteObject(doc, object); });
  object.StandinSetDeleted(false);
  RaiseEvent([&](CRhinoEventWatcher& w) {
    if (undoing)
      w.OnUnDeleteObject(doc, object);
    else
      w.OnAddObject(doc, object);
  });
}

// Sets a document material's name and settings, keeping its RDK instance id.
void SetMaterial(CRhinoDoc& doc, int index, const ON_wString& name, const ON_Material& material) {
  CRhRdkMaterial& content = *doc.StandinRdk().StandinMaterialAt(index);
  const ON_Material old = content.m_material;
  content.m_name = name;
  content.m_material = material;
  RaiseEvent([&](CRhinoEventWatcher& w) {
    w.MaterialTableEvent(CRhinoEventWatcher::material_modified, doc.m_material_table, index, &old);
  });
}

}  // namespace

bool HostSession::OpenDocument(const std::string& path, std::string* error) {
  DocumentReadResult result = ReadAnyDocument(path, m_default_units);
  if (!result.doc) {
    *error = result.error;
    return false;
  }
  for (const std::string& notice : result.notices) std::cout << path << ": " << notice << std::endl;
  m_undo.clear();
  RhinoApp().StandinOpenDocument(std::move(result.doc));
  if (result.hasView) {
    if (result.view) {
      CRhinoView* view = RhinoApp().ActiveView();
      if (!view) view = &RhinoApp().StandinCreateView();
      view->ActiveViewport().SetVP(*result.view, TRUE);
      RhinoApp().StandinSetActiveView(view);
    } else {
      RhinoApp().StandinSetActiveView(nullptr);
    }
  }
  return true;
}

CRhinoObject* HostSession::FindObject(const std::string& idOrName) const {
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc) return nullptr;
  ON_UUID id;
  auto wide = platform::Utf8ToWide(idOrName);
  if (!wide) return nullptr;
  // A deleted object is out of reach, as in Rhino, until an undo brings it back.
  if (host::TryParseUuid(*wide, &id)) {
    CRhinoObject* object = doc->StandinLookupObject(id);
    if (object && !object->IsDeleted()) return object;
  }
  for (int i = 0; i < doc->StandinObjectCount(); ++i) {
    CRhinoObject* object = doc->StandinObjectAt(i);
    if (!object->IsDeleted() && host::WideOf(object->Attributes().m_name) == *wide) return object;
  }
  for (int i = 0; i < doc->m_light_table.LightCount(); ++i) {
    auto& light = const_cast<CRhinoLight&>(doc->m_light_table[i]);
    if (light.IsDeleted()) continue;
    if (light.Id() == id || host::WideOf(light.Attributes().m_name) == *wide) return &light;
  }
  return nullptr;
}

bool HostSession::ChangeView(const std::string& name, const std::vector<std::string>& args) {
  CRhinoView* view = RhinoApp().ActiveView();
  if (name == "NoView") {
    RhinoApp().StandinSetActiveView(nullptr);
    return true;
  }
  if (args.size() != 1) {
    std::cerr << name << " needs one argument" << std::endl;
    return false;
  }
  if (!view) {
    // A view command brings a view back: the last one, or a new one.
    view = RhinoApp().StandinLastView();
    if (!view) {
      view = &RhinoApp().StandinCreateView();
      view->ActiveViewport().SetVP(DefaultHostViewport(), TRUE);
    }
  }
  ON_Viewport vp = view->ActiveViewport().VP();
  const std::string& arg = args[0];
  if (name == "Projection") {
    if (arg == "perspective")
      vp.SetProjection(ON::view_projection::perspective_view);
    else if (arg == "parallel")
      vp.SetProjection(ON::view_projection::parallel_view);
    else if (arg == "twopoint")
      vp.ChangeToTwoPointPerspectiveProjection(0.0, ON_3dVector::ZAxis, 50.0);
    else {
      std::cerr << "Projection takes perspective, parallel or twopoint" << std::endl;
      return false;
    }
  } else {
    const std::optional<double> number = ParseNumber(arg);
    if (!number) {
      std::cerr << name << " takes a number, not '" << arg << "'" << std::endl;
      return false;
    }
    const double value = *number;
    if (name == "Orbit") {
      // About the target, or the middle of the frustum when no target is set.
      ON_3dPoint pivot = vp.TargetPoint();
      if (!pivot.IsValid()) pivot = vp.FrustumCenterPoint(vp.TargetDistance(true));
      if (!pivot.IsValid()) {
        std::cerr << "Orbit: the active view has no valid camera" << std::endl;
        return false;
      }
      ON_Xform turn;
      turn.Rotation(ON_RadiansFromDegrees(value), ON_3dVector::ZAxis, pivot);
      vp.Transform(turn);
    } else {  // Zoom: a factor above 1 narrows the frustum
      if (!(value > 0)) {
        std::cerr << "Zoom takes a positive factor" << std::endl;
        return false;
      }
      double l, r, b, t, n, f;
      vp.GetFrustum(&l, &r, &b, &t, &n, &f);
      vp.SetFrustum(l / value, r / value, b / value, t / value, n, f);
    }
  }
  view->ActiveViewport().SetVP(vp, TRUE);
  RhinoApp().StandinSetActiveView(view);
  return true;
}

bool HostSession::RunHostCommand(const std::string& name, const std::vector<std::string>& args) {
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (name == "Exit") {
    m_exit = true;
    return true;
  }
  if (name == "Wait") {
    char* end = nullptr;
    const long ms = args.size() == 1 ? std::strtol(args[0].c_str(), &end, 10) : -1;
    if (ms < 0 || ms > 24L * 3600 * 1000 || args[0].empty() || *end != '\0') {
      std::cerr << "Wait takes a number of milliseconds, at most a day" << std::endl;
      return false;
    }
    // The host is idle while it waits: it says so every few milliseconds.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
      RaiseIdle();
      platform::SleepMilliseconds(kIdleIntervalMs);
    }
    return true;
  }
  if (name == "Open") {
    std::string error;
    if (args.size() != 1) {
      std::cerr << "Open takes one file" << std::endl;
      return false;
    }
    if (!OpenDocument(args[0], &error)) {
      std::cerr << error << std::endl;
      return false;
    }
    return true;
  }
  if (name == "Close") {
    m_undo.clear();
    RhinoApp().StandinCloseDocument();
    return true;
  }
  if (name == "Undo") {
    if (!args.empty()) {
      std::cerr << "Undo takes no arguments" << std::endl;
      return false;
    }
    Undo();
    return true;
  }
  if (name == "NoView" || name == "Orbit" || name == "Zoom" || name == "Projection")
    return ChangeView(name, args);
  // The commands left work on the open document.
  if (!doc) {
    std::cerr << name << ": no document is open" << std::endl;
    return false;
  }
  if (name == "Units") {
    ON::LengthUnitSystem units;
    if (args.size() != 1 || !UnitSystemFromName(args[0], &units)) {
      std::cerr << "Units takes a unit name (millimeters, meters, none, ...)" << std::endl;
      return false;
    }
    doc->SetModelUnits(ON_UnitSystem(units));
    return true;
  }
  if (name == "SaveAs") {
    auto path = args.size() == 1 ? platform::Utf8ToWide(args[0]) : std::nullopt;
    if (!path) {
      std::cerr << "SaveAs takes one path" << std::endl;
      return false;
    }
    doc->SetPathName(host::OnText(*path));
    return true;
  }
  if (name == "Move") return Move(*doc, args);
  if (name == "Material") return AssignMaterial(*doc, args);
  if (name == "EditMaterial") return EditMaterial(*doc, args);
  return ChangeState(*doc, name, args);
}

bool HostSession::ChangeState(CRhinoDoc& doc, const std::string& name,
                              const std::vector<std::string>& args) {
  // Hide, Show, Lock: an object by id or name, else a layer by name. Delete: an
  // object, else a block definition by name.
  const std::string target = args.size() == 1 ? args[0] : std::string();
  const std::optional<ON_wString> targetText = DocumentText(target);
  CRhinoObject* object = args.size() == 1 ? FindObject(target) : nullptr;
  if (object && name == "Delete") {
    SetObjectDeleted(doc, *object, true);
    PushUndo(doc, [&doc, object] { SetObjectDeleted(doc, *object, false); });
    return true;
  }
  if (object) {
    const ObjectLook before = LookOf(*object);
    ObjectLook after = before;
    after.attributes.SetMode(name == "Hide"   ? ON::hidden_object
                             : name == "Lock" ? ON::locked_object
                                              : ON::normal_object);
    SetLook(doc, *object, after);
    PushUndo(doc, [&doc, object, before] { SetLook(doc, *object, before); });
    return true;
  }
  if (name == "Delete") {
    const int definition =
        targetText ? doc.m_instance_definition_table.StandinFindByName(*targetText) : -1;
    if (args.size() != 1 || definition < 0) {
      std::cerr << "Delete: no object or block definition '" << target << "'" << std::endl;
      return false;
    }
    SetDefinitionDeleted(doc, definition, true);
    PushUndo(doc, [&doc, definition] { SetDefinitionDeleted(doc, definition, false); });
    return true;
  }
  const int layer = targetText ? doc.m_layer_table.StandinFindLayerFromName(*targetText) : -1;
  if (args.size() != 1 || layer < 0) {
    std::cerr << name << ": no object or layer '" << target << "'" << std::endl;
    return false;
  }
  // Hide turns the layer off, Show on and unlocked, Lock locks it and turns it on.
  const CRhinoLayer& l = doc.m_layer_table[layer];
  const bool wasVisible = l.IsVisible(), wasLocked = l.IsLocked();
  SetLayerState(doc, layer, name != "Hide", name == "Lock");
  PushUndo(doc, [&doc, layer, wasVisible, wasLocked] {
    SetLayerState(doc, layer, wasVisible, wasLocked);
  });
  return true;
}

bool HostSession::Move(CRhinoDoc& doc, const std::vector<std::string>& args) {
  std::optional<double> d[3];
  if (args.size() == 4)
    for (size_t i = 0; i < 3; ++i) d[i] = ParseNumber(args[i + 1]);
  if (!d[0] || !d[1] || !d[2]) {
    std::cerr << "Move takes an object and three numbers: Move X DX DY DZ" << std::endl;
    return false;
  }
  CRhinoObject* object = FindObject(args[0]);
  if (!object) {
    std::cerr << "Move: no object '" << args[0] << "'" << std::endl;
    return false;
  }
  const ON_Xform xform = ON_Xform::TranslationTransformation(*d[0], *d[1], *d[2]);
  std::function<void()> restore = TransformGeometry(*object, xform);
  if (!restore) {
    std::cerr << "Move: '" << args[0] << "' cannot be moved (meshes, polysurfaces and blocks can)"
              << std::endl;
    return false;
  }
  RaiseReplace(doc, *object, false);
  PushUndo(doc, [&doc, object, restore] {
    restore();
    RaiseReplace(doc, *object, true);
  });
  return true;
}

bool HostSession::AssignMaterial(CRhinoDoc& doc, const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::cerr << "Material takes an object and a material name: Material X NAME" << std::endl;
    return false;
  }
  CRhinoObject* object = FindObject(args[0]);
  if (!object) {
    std::cerr << "Material: no object '" << args[0] << "'" << std::endl;
    return false;
  }
  const std::optional<ON_wString> materialName = DocumentText(args[1]);
  const int index =
      materialName ? doc.m_material_table.StandinFindMaterialFromName(*materialName) : -1;
  if (index < 0) {
    std::cerr << "Material: no material '" << args[1] << "'" << std::endl;
    return false;
  }
  const ObjectLook before = LookOf(*object);
  ObjectLook after = before;
  after.material = doc.StandinRdk().StandinMaterialAt(index)->InstanceId();
  after.attributes.SetMaterialSource(ON::material_from_object);
  after.attributes.m_material_index = index;
  SetLook(doc, *object, after);
  PushUndo(doc, [&doc, object, before] { SetLook(doc, *object, before); });
  return true;
}

bool HostSession::EditMaterial(CRhinoDoc& doc, const std::vector<std::string>& args) {
  // Options are matched as command names are, as in Rhino's scripts ("_Color").
  const bool colour = args.size() == 5 && SameCommandName(CommandName(args[1]), "color");
  const bool rename = args.size() == 3 && SameCommandName(CommandName(args[1]), "name");
  if (!colour && !rename) {
    std::cerr << "EditMaterial takes a material name, then color R G B or name NEWNAME"
              << std::endl;
    return false;
  }
  const std::optional<ON_wString> materialName = DocumentText(args[0]);
  const int index =
      materialName ? doc.m_material_table.StandinFindMaterialFromName(*materialName) : -1;
  if (index < 0) {
    std::cerr << "EditMaterial: no material '" << args[0] << "'" << std::endl;
    return false;
  }
  const CRhRdkMaterial& content = *doc.StandinRdk().StandinMaterialAt(index);
  const ON_wString beforeName = content.InstanceName();
  const ON_Material before = content.m_material;
  ON_wString name = beforeName;
  ON_Material material = before;
  if (colour) {
    const std::optional<int> r = ParseByte(args[2]), g = ParseByte(args[3]), b = ParseByte(args[4]);
    if (!r || !g || !b) {
      std::cerr << "EditMaterial: color takes three whole numbers from 0 to 255" << std::endl;
      return false;
    }
    material.m_diffuse = ON_Color(*r, *g, *b, material.m_diffuse.Alpha());
    // A physically based material shows its base colour, which keeps its opacity.
    if (material.IsPhysicallyBased()) {
      const std::shared_ptr<ON_PhysicallyBasedMaterial> pbr = material.PhysicallyBased();
      ON_4fColor base(ON_Color(*r, *g, *b));
      base.SetAlpha(pbr->BaseColor().Alpha());
      pbr->SetBaseColor(base);
    }
  } else {
    const std::optional<ON_wString> newName = DocumentText(args[2]);
    if (!newName || newName->IsEmpty()) {
      std::cerr << "EditMaterial: name takes a new name" << std::endl;
      return false;
    }
    const int holder = doc.m_material_table.StandinFindMaterialFromName(*newName);
    if (holder >= 0 && holder != index) {
      std::cerr << "EditMaterial: a material is already named '" << args[2] << "'" << std::endl;
      return false;
    }
    name = *newName;
    material.SetName(name);
  }
  SetMaterial(doc, index, name, material);
  PushUndo(doc, [&doc, index, beforeName, before] { SetMaterial(doc, index, beforeName, before); });
  return true;
}

void HostSession::PushUndo(const CRhinoDoc& doc, std::function<void()> revert) {
  if (m_undo_doc != doc.RuntimeSerialNumber()) m_undo.clear();
  m_undo_doc = doc.RuntimeSerialNumber();
  m_undo.push_back(std::move(revert));
}

void HostSession::Undo() {
  // The edits kept belong to the document open when they were made.
  const CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc || doc->RuntimeSerialNumber() != m_undo_doc) m_undo.clear();
  if (m_undo.empty()) {
    std::cerr << "Undo: nothing to undo" << std::endl;
    return;
  }
  const std::function<void()> revert = std::move(m_undo.back());
  m_undo.pop_back();
  revert();
}

void HostSession::RaiseIdle() { rhino_standin::RaiseIdle(m_idle_count++); }

bool HostSession::Run(const std::string& line) {
  // Each command line ends with the host idle, as at Rhino's prompt.
  struct IdleAfter {
    HostSession& session;
    ~IdleAfter() { session.RaiseIdle(); }
  } idleAfter{*this};
  const std::vector<std::string> words = SplitCommandLine(line);
  if (words.empty()) return true;
  const std::string name = CommandName(words[0]);
  const std::vector<std::string> args(words.begin() + 1, words.end());
  m_transcript.Command(name);
  if (CRhinoCommand* command = m_plugin.FindCommand(name)) {
    m_plugin.EnsureLoaded();
    command->RunCommand(CRhinoCommandContext(RhinoApp().ActiveDoc()));
    return true;
  }
  const char* hostCommand = HostCommandSpelling(name);
  if (!hostCommand) {
    std::cerr << "Unknown command: " << name << std::endl;
    return false;
  }
  return RunHostCommand(hostCommand, args);
}
