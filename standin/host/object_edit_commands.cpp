// The host commands that edit objects of the open document: Hide, Show,
// Delete and Lock (an object, else a layer or a block definition), Move and
// Material. Each raises the events Rhino raises for it and can be undone.
#include <iostream>
#include <optional>

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
  if (isId) {
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
