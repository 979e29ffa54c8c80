#include "light/light_exporter.h"

#include "bridge/bridge_exports.h"
#include "bridge/bridge_text.h"
#include "export/element_id.h"
#include "export/unit_scale.h"
#include "light/light_description.h"
#include "light/light_rotation.h"
#include "platform/platform.h"
#include "plugin/sdk_helpers.h"

namespace {

// Linear and rectangular lights stand at the centre of the parallelogram their
// length and width span from the location.
ON_3dPoint AreaCentre(const ON_Light& light, double scale) {
  return (light.Location() + (light.Length() + light.Width()) * 0.5) * scale;
}

}  // namespace

LightExporter::LightExporter(BridgeHandle* bridge) : m_bridge(bridge) {}

void LightExporter::StartSend(const CRhinoDoc* doc) {
  m_scale = UnitScale(doc);
  m_writtenLayers.clear();
  m_text.clear();
}

std::wstring LightExporter::Describe(const CRhinoDoc& doc) {
  StartSend(&doc);
  const CRhinoLightTable& lights = doc.m_light_table;
  for (int i = 0; i < lights.LightCount(); ++i) {
    const CRhinoLight& object = lights[i];
    if (object.IsDeleted() || !object.IsActiveInDocument()) continue;
    WriteLight(object);
  }
  if (m_text.empty()) return std::wstring();
  return light::WholeDescription(platform::FileNamePart(WideText(doc.GetPathName())), m_text);
}

void LightExporter::SendLights(const CRhinoDoc* doc) {
  if (!doc) {
    // The walk needs a document; with none recorded there is nothing to describe.
    StartSend(nullptr);
    return;
  }
  const std::wstring description = Describe(*doc);
  const ON_wString path = doc->GetPathName();
  static const BridgeHandle kNoBridge;
  const BridgeHandle& bridge = m_bridge ? *m_bridge : kNoBridge;
  const BridgeText pathText(WideText(path));
  const BridgeText descriptionText(description);
  ORVEX_BRIDGE_CALL(bridge, SendLightsDataXml, pathText.c_str(), descriptionText.c_str());
}

void LightExporter::WriteLight(const CRhinoLight& object) {
  const ON_Light& light = object.Light();
  if (light.IsLinearLight()) {
    WriteHeader(object, light);
    m_text += light::AreaLightBody(light::LightType::Linear,
                                   light::LinearRotation(light.Length(), light.Width()),
                                   AreaCentre(light, m_scale), light.Width().Length() * m_scale,
                                   light.Length().Length() * m_scale);
  } else if (light.IsDirectionalLight()) {
    // The renderer has no directional lights.
  } else if (light.IsPointLight()) {
    WriteHeader(object, light);
    m_text += light::PointLightBody(light.Location() * m_scale);
  } else if (light.IsRectangularLight()) {
    WriteHeader(object, light);
    m_text += light::AreaLightBody(
        light::LightType::Rectangular,
        light::RectangularRotation(light.Direction(), light.PerpindicularDirection()),
        AreaCentre(light, m_scale), light.Width().Length() * m_scale,
        light.Length().Length() * m_scale);
  } else if (light.IsSpotLight()) {
    WriteHeader(object, light);
    m_text +=
        light::SpotLightBody(light::SpotRotation(light.Direction()), light.Location() * m_scale);
  }
  // Any other kind (an ambient light, for one) has no counterpart in the renderer.
}

void LightExporter::WriteHeader(const CRhinoLight& object, const ON_Light& light) {
  const CRhinoLayer& layer = object.ObjectLayer();
  const std::wstring layerId = UuidToText(layer.Id());
  bool& written = m_writtenLayers[layerId];
  if (!written) {
    m_text += light::LayerGroupRecord(layerId, WideText(layer.Name()));
    written = true;
  }
  m_text += light::LightSourceHeader(UuidToText(light.ModelObjectId()), layerId,
                                     WideText(light.LightName()));
}
