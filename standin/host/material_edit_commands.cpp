// The host commands that edit the document's materials, as the materials
// editor does: EditMaterial (a colour or a name), AddMaterial and
// DeleteMaterial. Rhino's render materials are RDK contents, and these raise
// the RDK's content events that the RDK documents for such edits; the
// material table's own event is documented only for the table, not for the
// editor, and is not raised. Each can be undone.
#include <iostream>
#include <memory>
#include <optional>

#include "host_command_arguments.h"
#include "host_session.h"

namespace {

using rhino_standin::RaiseEvent;
using rhino_standin::RaiseRdkEvent;
using Watcher = CRhRdkEventWatcher;

// The material's settings changed: the RDK passes a temporary copy of the old
// content, with an instance id of its own.
void SetSettings(CRhRdkMaterial& content, const ON_Material& material, RhRdkChangeContext cc) {
  CRhRdkMaterial old;
  old.m_name = content.m_name;
  old.m_material = content.m_material;
  old.m_id = ON_CreateId();
  old.m_standin_doc = content.m_standin_doc;
  content.m_material = material;
  RaiseRdkEvent([&](Watcher& w) { w.OnContentChanged(content, old, cc); });
}

void Rename(CRhRdkMaterial& content, const ON_wString& name) {
  RaiseRdkEvent([&](Watcher& w) { w.OnContentRenaming(content); });
  content.m_name = name;
  content.m_material.SetName(name);
  RaiseRdkEvent([&](Watcher& w) { w.OnContentRenamed(content); });
}

void Attach(CRhinoDoc& doc, std::unique_ptr<CRhRdkContent> content, Watcher::AttachReason why) {
  const CRhRdkContent& attached = doc.StandinRdk().StandinAdd(std::move(content), true);
  RaiseRdkEvent([&](Watcher& w) { w.OnContentAttached(doc.StandinRdk(), attached, why); });
}

std::unique_ptr<CRhRdkContent> Detach(CRhinoDoc& doc, const CRhRdkContent& content,
                                      Watcher::DetachReason why) {
  RaiseRdkEvent([&](Watcher& w) { w.OnContentDetaching(doc.StandinRdk(), content, why); });
  std::unique_ptr<CRhRdkContent> detached = doc.StandinRdk().StandinDetach(content);
  RaiseRdkEvent([&](Watcher& w) { w.OnContentDetached(doc.StandinRdk(), *detached, why); });
  return detached;
}

// An object's own material, set or taken away, as an assignment changes it.
void AssignObjectMaterial(CRhinoDoc& doc, CRhinoObject& object, const ON_UUID& material) {
  const CRhinoObjectAttributes old = object.Attributes();
  object.StandinSetMaterial(material);
  if (ON_UuidIsNil(material)) object.StandinAttributes().SetMaterialSource(ON::material_from_layer);
  RaiseEvent([&](CRhinoEventWatcher& w) { w.OnModifyObjectAttributes(doc, object, old); });
}

// The RDK material of this name, or null (with a message).
CRhRdkMaterial* FindMaterial(CRhinoDoc& doc, const std::string& command, const std::string& typed) {
  const std::optional<ON_wString> name = host::DocumentText(typed);
  const int index = name ? doc.m_material_table.StandinFindMaterialFromName(*name) : -1;
  if (index < 0) {
    std::cerr << command << ": no material '" << typed << "'" << std::endl;
    return nullptr;
  }
  return doc.StandinRdk().StandinMaterialAt(index);
}

std::optional<ON_Color> ColourOf(const std::string& command, const std::string& r,
                                 const std::string& g, const std::string& b) {
  const std::optional<int> red = host::ParseByte(r), green = host::ParseByte(g),
                           blue = host::ParseByte(b);
  if (red && green && blue) return ON_Color(*red, *green, *blue);
  std::cerr << command << ": color takes three whole numbers from 0 to 255" << std::endl;
  return std::nullopt;
}

}  // namespace

bool HostSession::EditMaterial(CRhinoDoc& doc, const std::string& command, const Arguments& args) {
  // Options are matched as command names are, as in Rhino's scripts ("_Color").
  const bool colour = args.size() == 5 && SameCommandName(CommandName(args[1]), "color");
  const bool rename = args.size() == 3 && SameCommandName(CommandName(args[1]), "name");
  if (!colour && !rename) {
    std::cerr << "EditMaterial takes a material name, then color R G B or name NEWNAME"
              << std::endl;
    return false;
  }
  CRhRdkMaterial* content = FindMaterial(doc, command, args[0]);
  if (!content) return false;
  if (colour) {
    const std::optional<ON_Color> rgb = ColourOf(command, args[2], args[3], args[4]);
    if (!rgb) return false;
    const ON_Material before = content->m_material;
    ON_Material material = before;
    material.m_diffuse = ON_Color(rgb->Red(), rgb->Green(), rgb->Blue(), before.m_diffuse.Alpha());
    // A physically based material shows its base colour, which keeps its opacity.
    if (material.IsPhysicallyBased()) {
      const std::shared_ptr<ON_PhysicallyBasedMaterial> pbr = material.PhysicallyBased();
      ON_4fColor base(*rgb);
      base.SetAlpha(pbr->BaseColor().Alpha());
      pbr->SetBaseColor(base);
    }
    SetSettings(*content, material, RhRdkChangeContext::UI);
    PushUndo(doc, [content, before] { SetSettings(*content, before, RhRdkChangeContext::Undo); });
    return true;
  }
  const std::optional<ON_wString> newName = host::DocumentText(args[2]);
  if (!newName || newName->IsEmpty()) {
    std::cerr << "EditMaterial: name takes a new name" << std::endl;
    return false;
  }
  const int holder = doc.m_material_table.StandinFindMaterialFromName(*newName);
  if (holder >= 0 && doc.StandinRdk().StandinMaterialAt(holder) != content) {
    std::cerr << "EditMaterial: a material is already named '" << args[2] << "'" << std::endl;
    return false;
  }
  const ON_wString beforeName = content->InstanceName();
  Rename(*content, *newName);
  PushUndo(doc, [content, beforeName] { Rename(*content, beforeName); });
  return true;
}

bool HostSession::AddMaterial(CRhinoDoc& doc, const std::string& command, const Arguments& args) {
  const std::optional<ON_wString> name =
      args.size() == 4 ? host::DocumentText(args[0]) : std::nullopt;
  if (!name || name->IsEmpty()) {
    std::cerr << "AddMaterial takes a name and a colour: AddMaterial NAME R G B" << std::endl;
    return false;
  }
  if (doc.m_material_table.StandinFindMaterialFromName(*name) >= 0) {
    std::cerr << "AddMaterial: a material is already named '" << args[0] << "'" << std::endl;
    return false;
  }
  const std::optional<ON_Color> rgb = ColourOf(command, args[1], args[2], args[3]);
  if (!rgb) return false;
  auto material = std::make_unique<CRhRdkMaterial>();
  material->m_id = ON_CreateId();
  material->m_name = *name;
  material->m_material.SetName(*name);
  material->m_material.m_diffuse = *rgb;
  material->m_material.SetRdkMaterialInstanceId(material->m_id);
  const CRhRdkContent* added = material.get();
  Attach(doc, std::move(material), Watcher::AttachReason::Attach);
  PushUndo(doc, [&doc, added] {
    // Detached for good: the undo record of an undo is not kept.
    Detach(doc, *added, Watcher::DetachReason::Undo);
  });
  return true;
}

bool HostSession::DeleteMaterial(CRhinoDoc& doc, const std::string& command,
                                 const Arguments& args) {
  if (args.size() != 1) {
    std::cerr << "DeleteMaterial takes a material name" << std::endl;
    return false;
  }
  CRhRdkMaterial* content = FindMaterial(doc, command, args[0]);
  if (!content) return false;
  // The objects that wear it lose it first, each with its attribute event, as
  // Rhino takes a deleted material's assignments away.
  const ON_UUID id = content->InstanceId();
  std::vector<CRhinoObject*> wearers;
  for (int i = 0; i < doc.StandinObjectCount(); ++i) {
    CRhinoObject* object = doc.StandinObjectAt(i);
    if (!object->IsDeleted() && object->StandinMaterial() == id) wearers.push_back(object);
  }
  for (CRhinoObject* object : wearers) AssignObjectMaterial(doc, *object, ON_nil_uuid);
  // The undo record holds the material until the undo takes it back.
  auto held = std::make_shared<std::unique_ptr<CRhRdkContent>>(
      Detach(doc, *content, Watcher::DetachReason::Delete));
  PushUndo(doc, [&doc, held, wearers, id] {
    Attach(doc, std::move(*held), Watcher::AttachReason::Undo);
    for (CRhinoObject* object : wearers) AssignObjectMaterial(doc, *object, id);
  });
  return true;
}
