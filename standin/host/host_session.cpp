#include "host_session.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>

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
  static const char* const kNames[] = {"Exit",  "Wait", "Open",       "Close", "NoView",
                                       "Orbit", "Zoom", "Projection", "Units", "SaveAs",
                                       "Hide",  "Show", "Delete",     "Lock"};
  for (const char* name : kNames)
    if (SameCommandName(typed, name)) return name;
  return nullptr;
}

}  // namespace

bool HostSession::OpenDocument(const std::string& path, std::string* error) {
  DocumentReadResult result = ReadAnyDocument(path, m_default_units);
  if (!result.doc) {
    *error = result.error;
    return false;
  }
  for (const std::string& notice : result.notices) std::cout << path << ": " << notice << std::endl;
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
  if (host::TryParseUuid(*wide, &id)) {
    if (CRhinoObject* object = doc->StandinLookupObject(id)) return object;
  }
  for (int i = 0; i < doc->StandinObjectCount(); ++i) {
    CRhinoObject* object = doc->StandinObjectAt(i);
    if (host::WideOf(object->Attributes().m_name) == *wide) return object;
  }
  for (int i = 0; i < doc->m_light_table.LightCount(); ++i) {
    auto& light = const_cast<CRhinoLight&>(doc->m_light_table[i]);
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
    char* end = nullptr;
    const double value = std::strtod(arg.c_str(), &end);
    if (arg.empty() || *end != '\0' || !std::isfinite(value)) {
      std::cerr << name << " takes a number, not '" << arg << "'" << std::endl;
      return false;
    }
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
    RhinoApp().StandinCloseDocument();
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
  // Hide, Show, Delete or Lock: an object by id or name, else (but Delete) a
  // layer by name.
  CRhinoObject* object = args.size() == 1 ? FindObject(args[0]) : nullptr;
  if (!object) {
    const auto layerName = args.size() == 1 ? platform::Utf8ToWide(args[0]) : std::nullopt;
    const int layer = layerName && name != "Delete"
                          ? doc->m_layer_table.StandinFindLayerFromName(host::OnText(*layerName))
                          : -1;
    if (layer < 0) {
      std::cerr << name << ": no object '" << (args.empty() ? "" : args[0]) << "'" << std::endl;
      return false;
    }
    CRhinoLayer& l = doc->m_layer_table.StandinLayer(layer);
    l.SetVisible(name != "Hide");
    l.SetLocked(name == "Lock");
    return true;
  }
  ON_3dmObjectAttributes& a = object->StandinAttributes();
  if (name == "Hide") a.SetMode(ON::hidden_object);
  if (name == "Show") a.SetMode(ON::normal_object);
  if (name == "Lock") a.SetMode(ON::locked_object);
  if (name == "Delete") object->StandinSetDeleted(true);
  return true;
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
