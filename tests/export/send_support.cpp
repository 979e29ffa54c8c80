#include "tests/export/send_support.h"

#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "platform/platform.h"
#include "standin_host.h"

namespace export_test {
namespace {

// English for every message box; no dialogs.
class EnglishDesktop : public platform::Desktop {
 public:
  int SystemDefaultLanguageId() override { return 1033; }
  std::optional<std::wstring> ChooseFolder(const std::wstring&) override { return std::nullopt; }
  void ShellOpen(const std::wstring&, const std::wstring&, const std::wstring&) override {}
};

struct ProcessState {
  std::filesystem::path folder;
  std::filesystem::path log;
  EnglishDesktop desktop;
  std::vector<ShownBox> boxes;
  std::vector<std::string> prints;

  ~ProcessState() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

ProcessState& State() {
  static ProcessState state;
  return state;
}

std::string ReadFrom(const std::filesystem::path& file, std::size_t offset) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::string();
  in.seekg(static_cast<std::streamoff>(offset));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t FileSize(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  return error ? 0 : static_cast<std::size_t>(size);
}

float FloatOf(const Json& value) {
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    if (text == "nan") return std::nanf("");
    if (text == "inf") return INFINITY;
    if (text == "-inf") return -INFINITY;
    ADD_FAILURE() << "unexpected text in a float array: " << text;
    return 0;
  }
  return value.get<float>();
}

}  // namespace

void PrepareProcess() {
  static std::once_flag once;
  std::call_once(once, [] {
    ProcessState& state = State();
    std::string pattern = (std::filesystem::temp_directory_path() / "orvex-export-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    state.folder = pattern;
    state.log = state.folder / "calls.jsonl";
    // The bridge reads these once, when it is loaded.
    setenv("ORVEX_BRIDGE_LOG", state.log.string().c_str(), 1);
    unsetenv("ORVEX_BRIDGE_LOG_ARRAYS");
    unsetenv("ORVEX_BRIDGE_OUT");
    platform::SetDesktop(&state.desktop);
    rhino_standin::HostHooks hooks;
    hooks.print = [](const std::string& text) { State().prints.push_back(text); };
    hooks.messageBox = [](const std::wstring& text, const std::wstring& caption, unsigned flags) {
      State().boxes.push_back({platform::WideToUtf8(text), platform::WideToUtf8(caption), flags});
      return 1;
    };
    rhino_standin::SetHostHooks(std::move(hooks));
  });
}

void SendTest::SetUp() {
  PrepareProcess();
  logStart_ = FileSize(State().log);
  boxStart_ = State().boxes.size();
  printStart_ = State().prints.size();
}

std::string SendTest::LogText() const { return ReadFrom(State().log, logStart_); }

std::vector<Json> SendTest::Calls() const {
  std::vector<Json> calls;
  std::istringstream lines(LogText());
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) calls.push_back(Json::parse(line));
  return calls;
}

std::vector<Json> SendTest::Calls(const std::string& fn) const {
  std::vector<Json> selected;
  for (Json& call : Calls())
    if (call.at("fn") == fn) selected.push_back(std::move(call));
  return selected;
}

std::vector<std::string> SendTest::CallNames() const {
  std::vector<std::string> names;
  for (const Json& call : Calls()) names.push_back(call.at("fn").get<std::string>());
  return names;
}

std::vector<ShownBox> SendTest::Boxes() const {
  const auto& all = State().boxes;
  return std::vector<ShownBox>(all.begin() + static_cast<std::ptrdiff_t>(boxStart_), all.end());
}

std::vector<std::string> SendTest::Prints() const {
  const auto& all = State().prints;
  return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(printStart_),
                                  all.end());
}

std::vector<float> Floats(const Json& array) {
  std::vector<float> values;
  for (const Json& value : array) values.push_back(FloatOf(value));
  return values;
}

std::vector<int> Ints(const Json& array) { return array.get<std::vector<int>>(); }

std::vector<float> IdentityFloats() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

void SetUnits(CRhinoDoc& doc, ON::LengthUnitSystem units) {
  doc.SetPathName(L"/projects/house.3dm");
  doc.SetModelUnits(ON_UnitSystem(units));
}

int AddLayer(CRhinoDoc& doc, const ON_UUID& material) {
  CRhinoLayer layer;
  layer.SetId(ON_CreateUuid());
  layer.m_material_id = material;
  layer.m_doc = &doc;
  return doc.m_layer_table.AddLayer(layer);
}

CRhinoBrepObject& AddBrep(CRhinoDoc& doc, const ON_UUID& id, std::vector<TestFace> faces,
                          const ON_UUID& material) {
  auto brep = std::make_unique<CRhinoBrepObject>();
  brep->StandinAttributes().m_uuid = id;
  brep->StandinAttributes().m_material_id = material;
  std::vector<CRhinoBrepObject::Face> brepFaces;
  for (TestFace& face : faces) brepFaces.push_back({std::move(face.mesh), face.material});
  brep->StandinSetFaces(std::move(brepFaces));
  return static_cast<CRhinoBrepObject&>(doc.StandinAddObject(std::move(brep)));
}

CRhinoInstanceDefinition& AddDefinition(CRhinoDoc& doc, const ON_UUID& id,
                                        std::vector<std::unique_ptr<CRhinoObject>> objects) {
  auto definition = std::make_unique<CRhinoInstanceDefinition>();
  definition->SetId(id);
  definition->m_doc = &doc;
  for (auto& object : objects) definition->StandinAddObject(std::move(object));
  return doc.m_instance_definition_table.StandinAdd(std::move(definition));
}

std::unique_ptr<CRhinoObject> MeshObjectFor(CRhinoDoc& doc, ON_Mesh mesh, const ON_UUID& material) {
  auto object = std::make_unique<CRhinoMeshObject>();
  object->StandinAttributes().m_uuid = ON_CreateUuid();
  object->StandinAttributes().m_material_id = material;
  object->StandinSetDocument(&doc);
  object->m_mesh = std::move(mesh);
  return object;
}

CRhinoInstanceObject& AddReference(CRhinoDoc& doc, const ON_UUID& definition,
                                   const ON_Xform& xform) {
  auto reference = std::make_unique<CRhinoInstanceObject>();
  reference->StandinAttributes().m_uuid = ON_CreateUuid();
  reference->m_definition_id = definition;
  reference->m_xform = xform;
  return static_cast<CRhinoInstanceObject&>(doc.StandinAddObject(std::move(reference)));
}

}  // namespace export_test

namespace export_test {

std::vector<SentElement> Elements(const std::vector<Json>& calls) {
  std::vector<SentElement> elements;
  bool open = false;
  for (const Json& call : calls) {
    const std::string fn = call.at("fn").get<std::string>();
    if (fn == "BeginElement") {
      EXPECT_FALSE(open) << "BeginElement inside an open element";
      elements.push_back(
          {call.at("id").get<std::string>(), call.at("model").get<BridgeModel>(), {}});
      open = true;
    } else if (fn == "EndElement") {
      EXPECT_TRUE(open) << "EndElement without an open element";
      open = false;
    } else if (open) {
      elements.back().calls.push_back(call);
    }
  }
  EXPECT_FALSE(open) << "an element was left open";
  return elements;
}

SentElement ElementWithId(const std::vector<Json>& calls, const std::string& id) {
  SentElement found;
  int count = 0;
  for (SentElement& element : Elements(calls))
    if (element.id == id) found = std::move(element), ++count;
  EXPECT_EQ(count, 1) << "elements with id " << id;
  return found;
}

}  // namespace export_test
