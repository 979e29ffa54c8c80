// The host commands that edit objects of the open document: Hide, Show,
// Delete and Lock (an object, else a layer or a block definition), Move and
// Material. Each raises the events Rhino raises for it and can be undone. A
// layer's state reaches the layers inside it, as in Rhino.
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <queue>
#include <utility>
#include <vector>

#include "document_trees.h"
#include "host_command_arguments.h"
#include "host_session.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"

namespace {

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

struct UuidLess {
  bool operator()(const ON_UUID& a, const ON_UUID& b) const { return ON_UuidCompare(a, b) < 0; }
};

// Layers by their place in the table, with settings.
using LayerSettings = std::vector<std::pair<int, ON_Layer>>;

// The layer and every layer inside it, each with its settings: the layer
// first, then the sublayers in table order, each after its parent.
LayerSettings LayerAndSublayers(const CRhinoLayerTable& table, int index) {
  std::vector<std::vector<int>> children(static_cast<size_t>(table.LayerCount()));
  for (int i = 0; i < table.LayerCount(); ++i)
    if (const int parent = table.StandinParentIndex(i); parent >= 0)
      children[static_cast<size_t>(parent)].push_back(i);
  LayerSettings layers;
  std::priority_queue<int, std::vector<int>, std::greater<int>> next;
  for (next.push(index); !next.empty();) {
    const int at = next.top();
    next.pop();
    layers.emplace_back(at, table[at]);
    for (const int child : children[static_cast<size_t>(at)]) next.push(child);
  }
  return layers;
}

// Gives each layer its settings, then raises a layer_modified event for each,
// in the order given, with what it was.
void SetLayers(CRhinoDoc& doc, const LayerSettings& settings) {
  std::vector<ON_Layer> before;
  for (const auto& [index, layer] : settings) {
    CRhinoLayer& target = doc.m_layer_table.StandinLayer(index);
    before.push_back(target);
    static_cast<ON_Layer&>(target) = layer;
  }
  for (size_t i = 0; i < settings.size(); ++i)
    RaiseEvent([&](CRhinoEventWatcher& w) {
      w.LayerTableEvent(CRhinoEventWatcher::layer_modified, doc.m_layer_table, settings[i].first,
                        &before[i]);
    });
}

// The layer and its sublayers after Hide (off), Show (on and unlocked) or Lock
// (locked and on). The sublayers follow their parent as in Rhino: a parent
// turned off turns off those that are on, which remember it (their persistent
// visibility); turned on, it turns on again those that remember, below layers
// that are on.
LayerSettings LayersAfter(const std::string& command, LayerSettings layers) {
  const bool on = command != "Hide";
  ON_Layer& layer = layers[0].second;
  layer.SetVisible(on);
  if (!on) layer.SetPersistentVisibility(false);
  layer.SetLocked(command == "Lock");
  std::map<ON_UUID, bool, UuidLess> shown{{layer.Id(), on}};
  for (size_t i = 1; i < layers.size(); ++i) {
    ON_Layer& sublayer = layers[i].second;
    if (!on && sublayer.IsVisible()) {
      sublayer.SetVisible(false);
      sublayer.SetPersistentVisibility(true);
    } else if (on && !sublayer.IsVisible() && sublayer.PersistentVisibility() &&
               shown[sublayer.ParentLayerId()]) {
      sublayer.SetVisible(true);
    }
    shown[sublayer.Id()] = sublayer.IsVisible();
  }
  return layers;
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

// A copy of the object moved by xform, for the objects the host can move:
// meshes, polysurfaces and block instances; null for any other.
std::unique_ptr<CRhinoObject> MovedCopy(const CRhinoObject& object, const ON_Xform& xform) {
  if (const auto* meshObject = dynamic_cast<const CRhinoMeshObject*>(&object)) {
    auto copy = std::make_unique<CRhinoMeshObject>(*meshObject);
    copy->m_mesh.Transform(xform);
    return copy;
  }
  if (const auto* brep = dynamic_cast<const CRhinoBrepObject*>(&object)) {
    auto copy = std::make_unique<CRhinoBrepObject>(*brep);
    std::vector<CRhinoBrepObject::Face> faces = brep->Faces();
    for (CRhinoBrepObject::Face& face : faces) face.mesh.Transform(xform);
    copy->StandinSetFaces(std::move(faces));  // joins the moved faces again
    return copy;
  }
  if (const auto* instance = dynamic_cast<const CRhinoInstanceObject*>(&object)) {
    auto copy = std::make_unique<CRhinoInstanceObject>(*instance);
    copy->m_xform = xform * instance->m_xform;
    return copy;
  }
  return nullptr;
}

// Rhino replaces an edited object by a new one with the same id: it tells the
// watchers of both before either changes, deletes the old one (which stays in
// the document, deleted, for undo), then adds the new one, or undeletes it
// when an undo brings it back.
void Replace(CRhinoDoc& doc, CRhinoObject& current, CRhinoObject& replacement, bool undoing) {
  RaiseEvent([&](CRhinoEventWatcher& w) { w.OnReplaceObject(doc, current, replacement); });
  current.StandinSetDeleted(true);
  RaiseEvent([&](CRhinoEventWatcher& w) { w.OnDeleteObject(doc, current); });
  replacement.StandinSetDeleted(false);
  RaiseEvent([&](CRhinoEventWatcher& w) {
    if (undoing)
      w.OnUnDeleteObject(doc, replacement);
    else
      w.OnAddObject(doc, replacement);
  });
}

}  // namespace

CRhinoObject* HostSession::FindObject(const std::string& idOrName) const {
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc) return nullptr;
  ON_UUID id = ON_nil_uuid;
  auto wide = platform::Utf8ToWide(idOrName);
  if (!wide) return nullptr;
  // Text that is no UUID names by name alone: no id is compared, not even the nil one.
  const bool isId = host::TryParseUuid(*wide, &id);
  // A deleted object is out of reach, as in Rhino, until an undo brings it back.
  // The living object of the id: an edit's replacement, not the object it replaced.
  if (isId)
    if (const CRhinoObject* object = CRhinoObject::FromId(doc->RuntimeSerialNumber(), id))
      return const_cast<CRhinoObject*>(object);
  for (int i = 0; i < doc->StandinObjectCount(); ++i) {
    CRhinoObject* object = doc->StandinObjectAt(i);
    if (!object->IsDeleted() && host::WideOf(object->Attributes().m_name) == *wide) return object;
  }
  for (int i = 0; i < doc->m_light_table.LightCount(); ++i) {
    auto& light = const_cast<CRhinoLight&>(doc->m_light_table[i]);
    if (light.IsDeleted()) continue;
    if ((isId && light.Id() == id) || host::WideOf(light.Attributes().m_name) == *wide)
      return &light;
  }
  return nullptr;
}

bool HostSession::ChangeState(CRhinoDoc& doc, const std::string& name, const Arguments& args) {
  // Hide, Show, Lock: an object by id or name, else a layer by name. Delete: an
  // object, else a block definition by name.
  const std::string target = args.size() == 1 ? args[0] : std::string();
  const std::optional<ON_wString> targetText = host::DocumentText(target);
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
  const int layer = targetText ? host::FindLayerByPathOrName(doc.m_layer_table, *targetText) : -1;
  if (args.size() != 1 || layer < 0) {
    std::cerr << name << ": no object or layer '" << target << "'" << std::endl;
    return false;
  }
  // Hide turns the layer off, Show on and unlocked, Lock locks it and turns it
  // on; its sublayers change with it.
  const LayerSettings before = LayerAndSublayers(doc.m_layer_table, layer);
  SetLayers(doc, LayersAfter(name, before));
  PushUndo(doc, [&doc, before] { SetLayers(doc, before); });
  return true;
}

bool HostSession::Move(CRhinoDoc& doc, const std::string&, const Arguments& args) {
  std::optional<double> d[3];
  if (args.size() == 4)
    for (size_t i = 0; i < 3; ++i) d[i] = host::ParseNumber(args[i + 1]);
  if (!d[0] || !d[1] || !d[2]) {
    std::cerr << "Move takes an object and three numbers: Move X DX DY DZ" << std::endl;
    return false;
  }
  CRhinoObject* object = FindObject(args[0]);
  if (!object) {
    std::cerr << "Move: no object '" << args[0] << "'" << std::endl;
    return false;
  }
  std::unique_ptr<CRhinoObject> copy =
      MovedCopy(*object, ON_Xform::TranslationTransformation(*d[0], *d[1], *d[2]));
  if (!copy) {
    std::cerr << "Move: '" << args[0] << "' cannot be moved (meshes, polysurfaces and blocks can)"
              << std::endl;
    return false;
  }
  // The moved object is not in the document while the replace is announced.
  copy->StandinSetDeleted(true);
  CRhinoObject& moved = doc.StandinAddObject(std::move(copy), object);
  Replace(doc, *object, moved, false);
  PushUndo(doc, [&doc, object, &moved] { Replace(doc, moved, *object, true); });
  return true;
}

bool HostSession::AssignMaterial(CRhinoDoc& doc, const std::string&, const Arguments& args) {
  if (args.size() != 2) {
    std::cerr << "Material takes an object and a material name: Material X NAME" << std::endl;
    return false;
  }
  CRhinoObject* object = FindObject(args[0]);
  if (!object) {
    std::cerr << "Material: no object '" << args[0] << "'" << std::endl;
    return false;
  }
  const std::optional<ON_wString> materialName = host::DocumentText(args[1]);
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
