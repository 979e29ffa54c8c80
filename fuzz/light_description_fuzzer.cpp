// The light description of a document filled from the fuzz input: random
// units, path, layers and lights with random names, kinds, states and vectors
// (zero-length and non-finite ones too). The description is empty exactly when
// no light qualifies, and otherwise one well-formed <Root> element with one
// light source per qualifying light, each carrying its name unchanged but for
// the characters XML may not hold, and one group per layer used.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "common/element_id.h"
#include "fuzz_support.h"
#include "light/light_exporter.h"
#include "platform/platform.h"

namespace {

using common::UuidToText;
using common::WideText;

constexpr ON::LengthUnitSystem kUnits[] = {
    ON::LengthUnitSystem::None,        ON::LengthUnitSystem::Microns,
    ON::LengthUnitSystem::Millimeters, ON::LengthUnitSystem::Centimeters,
    ON::LengthUnitSystem::Meters,      ON::LengthUnitSystem::Kilometers,
    ON::LengthUnitSystem::Inches,      ON::LengthUnitSystem::Feet,
    ON::LengthUnitSystem::Miles,       ON::LengthUnitSystem::Gigameters};

constexpr ON::light_style kStyles[] = {
    ON::light_style::unknown_light_style,     ON::light_style::camera_directional_light,
    ON::light_style::camera_point_light,      ON::light_style::camera_spot_light,
    ON::light_style::world_directional_light, ON::light_style::world_point_light,
    ON::light_style::world_spot_light,        ON::light_style::ambient_light,
    ON::light_style::world_linear_light,      ON::light_style::world_rectangular_light};

ON_UUID AnyId(FuzzedDataProvider& input) {
  ON_UUID id;
  id.Data1 = input.ConsumeIntegral<uint32_t>();
  id.Data2 = input.ConsumeIntegral<uint16_t>();
  id.Data3 = input.ConsumeIntegral<uint16_t>();
  for (unsigned char& byte : id.Data4) byte = input.ConsumeIntegral<unsigned char>();
  return id;
}

ON_3dVector AnyVector(FuzzedDataProvider& input) {
  if (input.ConsumeBool()) return ON_3dVector(0, 0, 0);
  const double x = orvex_fuzz::AnyNumber(input);
  const double y = orvex_fuzz::AnyNumber(input);
  return ON_3dVector(x, y, orvex_fuzz::AnyNumber(input));
}

bool Qualifies(const CRhinoLight& object) {
  if (object.IsDeleted() || !object.IsActiveInDocument()) return false;
  const ON_Light& light = object.Light();
  if (light.IsDirectionalLight()) return false;
  return light.IsPointLight() || light.IsSpotLight() || light.IsLinearLight() ||
         light.IsRectangularLight();
}

// The text as the description should carry it.
std::string Carried(const std::wstring& text) {
  return platform::WideToUtf8(orvex_fuzz::AsXmlText(text));
}
std::string Carried(const ON_wString& text) { return Carried(WideText(text)); }

std::string IdText(const ON_UUID& id) { return platform::WideToUtf8(UuidToText(id)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  CRhinoDoc doc;
  doc.SetModelUnits(ON_UnitSystem(input.PickValueInArray(kUnits)));
  doc.SetPathName(orvex_fuzz::UserText(input, 128).c_str());
  const int layers = input.ConsumeIntegralInRange<int>(0, 4);
  for (int i = 0; i < layers; ++i) {
    CRhinoLayer layer;
    layer.SetId(AnyId(input));
    layer.SetName(orvex_fuzz::UserText(input, 64).c_str());
    doc.m_layer_table.AddLayer(layer);
  }
  std::vector<const CRhinoLight*> qualifying;
  const int lights = input.ConsumeIntegralInRange<int>(0, 8);
  for (int i = 0; i < lights; ++i) {
    auto object = std::make_unique<CRhinoLight>();
    object->StandinSetDocument(&doc);
    object->StandinAttributes().m_layer_index = input.ConsumeIntegralInRange<int>(-1, layers);
    object->StandinAttributes().m_uuid = AnyId(input);
    object->StandinSetDeleted(input.ConsumeIntegralInRange<int>(0, 7) == 0);
    object->StandinSetActive(input.ConsumeIntegralInRange<int>(0, 7) != 0);
    ON_Light& light = object->m_light;
    light.SetStyle(input.PickValueInArray(kStyles));
    light.Enable(input.ConsumeBool());
    light.m_light_id = AnyId(input);
    light.SetLightName(orvex_fuzz::UserText(input, 64).c_str());
    light.SetLocation(ON_3dPoint(AnyVector(input)));
    light.SetDirection(AnyVector(input));
    light.SetLength(AnyVector(input));
    light.SetWidth(AnyVector(input));
    const CRhinoLight& added = doc.m_light_table.StandinAdd(std::move(object));
    if (Qualifies(added)) qualifying.push_back(&added);
  }

  const bridge::Bridge noBridge;  // Describe only: nothing is sent
  light::LightExporter exporter(noBridge);
  const std::wstring description = exporter.Describe(doc);
  if (qualifying.empty()) {
    if (!description.empty()) orvex_fuzz::Fail("light description", "text without a light");
    return 0;
  }
  const std::string utf8 = orvex_fuzz::RequireXmlElement(description, "light description");
  pugi::xml_document xml;
  xml.load_buffer(utf8.data(), utf8.size(), pugi::parse_escapes | pugi::parse_ws_pcdata,
                  pugi::encoding_utf8);
  const pugi::xml_node root = xml.child("Root");
  if (!root) orvex_fuzz::Fail("light description", "root is not Root: " + utf8);
  const std::string fileName = Carried(platform::FileNamePart(WideText(doc.GetPathName())));
  if (root.child("LightGroup").child("GroupName").text().get() != fileName)
    orvex_fuzz::Fail("light description", "the file name changed on its way: " + utf8);

  std::vector<pugi::xml_node> sources;
  std::map<std::string, std::string> groups;  // id text -> name, the root group left out
  for (pugi::xml_node node : root.children()) {
    const std::string element = node.name();
    if (element == "LightSource") sources.push_back(node);
    if (element == "LightGroup" && node != root.first_child())
      groups[node.child("GroupId").text().get()] = node.child("GroupName").text().get();
  }
  if (sources.size() != qualifying.size())
    orvex_fuzz::Fail("light description", std::to_string(sources.size()) + " sources for " +
                                              std::to_string(qualifying.size()) + " lights");
  // Each layer in use has one group, named as the first of its lights' layers was.
  std::map<std::string, std::string> layersUsed;
  for (size_t i = 0; i < sources.size(); ++i) {
    const ON_Light& light = qualifying[i]->Light();
    const std::string id = IdText(light.ModelObjectId());
    const std::string name = Carried(light.LightName()) + "[" + id.substr(0, 4) + "]";
    const CRhinoLayer& layer = qualifying[i]->ObjectLayer();
    const std::string layerId = IdText(layer.Id());
    if (sources[i].child("LightId").text().get() != id ||
        sources[i].child("LightName").text().get() != name ||
        sources[i].child("ParentGroupId").text().get() != layerId)
      orvex_fuzz::Fail("light description", "light " + std::to_string(i) + " changed: " + utf8);
    layersUsed.emplace(layerId, Carried(layer.Name()));
  }
  if (groups != layersUsed)
    orvex_fuzz::Fail("light description", "layer groups differ from the lights' layers: " + utf8);
  return 0;
}
