// The host commands on the document as a whole: Open and Close; Units and
// SaveAs on the open document.
#include <cctype>
#include <iostream>
#include <optional>

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
  if (args.size() != 1 || !UnitSystemFromName(args[0], &units)) {
    std::cerr << "Units takes a unit name (millimeters, meters, none, ...)" << std::endl;
    return false;
  }
  doc.SetModelUnits(ON_UnitSystem(units));
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
