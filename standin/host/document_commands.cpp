// The host commands on the document as a whole: Open and Close; Units and
// SaveAs on the open document.
#include <cctype>
#include <iostream>
#include <optional>
#include <vector>

#include "assimp_importer.h"
#include "document_reader.h"
#include "host_session.h"
#include "model_file_reader.h"
#include "platform/platform.h"
#include "standin/host/sdk_values.h"

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

using rhino_standin::RaiseEvent;

// Scales every object of the document, and every object of its block
// definitions and its lights, about the origin: a change of units that keeps
// their size. Named views keep their cameras.
void ScaleDocument(CRhinoDoc& doc, double scale) {
  const ON_Xform s = ON_Xform::DiagonalTransformation(scale);
  ON_Xform inverse = ON_Xform::DiagonalTransformation(1.0 / scale);
  const auto scaleObject = [&](CRhinoObject& object) {
    if (auto* mesh = dynamic_cast<CRhinoMeshObject*>(&object)) {
      mesh->m_mesh.Transform(s);
    } else if (auto* brep = dynamic_cast<CRhinoBrepObject*>(&object)) {
      std::vector<CRhinoBrepObject::Face> faces = brep->Faces();
      for (CRhinoBrepObject::Face& face : faces) face.mesh.Transform(s);
      brep->StandinSetFaces(std::move(faces));
    } else if (auto* instance = dynamic_cast<CRhinoInstanceObject*>(&object)) {
      // The definition is scaled too: the placement keeps its rotation.
      instance->m_xform = s * instance->m_xform * inverse;
    } else if (auto* light = dynamic_cast<CRhinoLight*>(&object)) {
      light->m_light.Transform(s);
    }
  };
  for (int i = 0; i < doc.StandinObjectCount(); ++i) scaleObject(*doc.StandinObjectAt(i));
  CRhinoInstanceDefinitionTable& definitions = doc.m_instance_definition_table;
  for (int i = 0; i < definitions.InstanceDefinitionCount(); ++i)
    if (CRhinoInstanceDefinition* definition = definitions.StandinDefinition(i))
      for (int j = 0; j < definition->ObjectCount(); ++j)
        scaleObject(const_cast<CRhinoObject&>(*definition->Object(j)));
  for (int i = 0; i < doc.m_light_table.LightCount(); ++i)
    scaleObject(const_cast<CRhinoLight&>(doc.m_light_table[i]));
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

bool HostSession::Open(const std::string&, const Arguments& args) {
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

bool HostSession::Close(const std::string&, const Arguments&) {
  m_undo.clear();
  RhinoApp().StandinCloseDocument();
  return true;
}

bool HostSession::SetUnits(CRhinoDoc& doc, const std::string&, const Arguments& args) {
  ON::LengthUnitSystem units;
  const bool scaling = args.size() == 2 && SameCommandName(CommandName(args[1]), "scale");
  if ((args.size() != 1 && !scaling) || !UnitSystemFromName(args[0], &units)) {
    std::cerr << "Units takes a unit name (millimeters, meters, none, ...), then scale to keep "
                 "the objects' size"
              << std::endl;
    return false;
  }
  const ON_UnitSystem before = doc.ModelUnits();
  const ON_UnitSystem after(units);
  if (scaling) {
    // Rhino tells the watchers before it scales any object.
    const double scale = ON::UnitScale(before, after);
    RaiseEvent([&](CRhinoEventWatcher& w) { w.OnUnitsChangedWithScaling(doc, scale); });
    ScaleDocument(doc, scale);
  }
  doc.SetModelUnits(after);
  RaiseEvent([&](CRhinoEventWatcher& w) { w.OnDocumentPropertiesChanged(doc); });
  PushUndo(doc, [&doc, before, scaling] {
    const double back = ON::UnitScale(doc.ModelUnits(), before);
    if (scaling) {
      RaiseEvent([&](CRhinoEventWatcher& w) { w.OnUnitsChangedWithScaling(doc, back); });
      ScaleDocument(doc, back);
    }
    doc.SetModelUnits(before);
    RaiseEvent([&](CRhinoEventWatcher& w) { w.OnDocumentPropertiesChanged(doc); });
  });
  return true;
}

bool HostSession::SaveAs(CRhinoDoc& doc, const std::string&, const Arguments& args) {
  auto path = args.size() == 1 ? platform::Utf8ToWide(args[0]) : std::nullopt;
  if (!path) {
    std::cerr << "SaveAs takes one path" << std::endl;
    return false;
  }
  doc.SetPathName(host::OnText(*path));
  return true;
}
