// The host command that edits a document material: EditMaterial, which
// changes its colour or its name. It raises the event Rhino raises for it and
// can be undone.
#include <iostream>
#include <optional>

#include "host_command_arguments.h"
#include "host_session.h"

namespace {

using rhino_standin::RaiseEvent;

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

bool HostSession::EditMaterial(CRhinoDoc& doc, const std::string&, const Arguments& args) {
  // Options are matched as command names are, as in Rhino's scripts ("_Color").
  const bool colour = args.size() == 5 && SameCommandName(CommandName(args[1]), "color");
  const bool rename = args.size() == 3 && SameCommandName(CommandName(args[1]), "name");
  if (!colour && !rename) {
    std::cerr << "EditMaterial takes a material name, then color R G B or name NEWNAME"
              << std::endl;
    return false;
  }
  const std::optional<ON_wString> materialName = host::DocumentText(args[0]);
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
    const std::optional<int> r = host::ParseByte(args[2]), g = host::ParseByte(args[3]),
                             b = host::ParseByte(args[4]);
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
    const std::optional<ON_wString> newName = host::DocumentText(args[2]);
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
