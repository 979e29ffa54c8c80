#include "light/light_exporter.h"

#include "common/element_id.h"
#include "common/sdk_text.h"
#include "light/light_description.h"
#include "light/light_rotation.h"
#include "platform/platform.h"

namespace light {
namespace {

using common::UuidToText;
using common::WideText;

// Linear and rectangular lights stand at the centre of the parallelogram their
// length and width span from the location.
ON_3dPoint AreaCentre(const ON_Light& light, const common::RendererFrame& frame) {
  return frame.Scaled(light.Location() + (light.Length() + light.Width()) * 0.5);
}

}  // namespace

LightExporter::LightExporter(const bridge::Bridge& bridge) : m_bridge(bridge) {}

void LightExporter::StartSend(const CRhinoDoc* doc) {
  m_frame = common::RendererFrame(doc);
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
  return WholeDescription(platform::FileNamePart(WideText(doc.GetPathName())), m_text);
}

void LightExporter::SendLights(const CRhinoDoc* doc) {
  if (!doc) {
    // The walk needs a document; with none recorded there is nothing to describe.
    StartSend(nullptr);
    return;
  }
  const std::wstring description = Describe(*doc);
  m_bridge.SendLightsDataXml(bridge::Text(WideText(doc->GetPathName())), bridge::Text(description));
}

void LightExporter::WriteLight(const CRhinoLight& object) {
  const ON_Light& light = object.Light();
  if (light.IsLinearLight()) {
    WriteHeader(object, light);
    m_text += AreaLightBody(LightType::Linear, LinearRotation(light.Length(), light.Width()),
                            AreaCentre(light, m_frame), m_frame.Length(light.Width().Length()),
                            m_frame.Length(light.Length().Length()));
  } else if (light.IsDirectionalLight()) {
    // The renderer has no directional lights.
  } else if (light.IsPointLight()) {
    WriteHeader(object, light);
    m_text += PointLightBody(m_frame.Scaled(light.Location()));
  } else if (light.IsRectangularLight()) {
    WriteHeader(object, light);
    m_text += AreaLightBody(LightType::Rectangular,
                            RectangularRotation(light.Direction(), light.PerpindicularDirection()),
                            AreaCentre(light, m_frame), m_frame.Length(light.Width().Length()),
                            m_frame.Length(light.Length().Length()));
  } else if (light.IsSpotLight()) {
    WriteHeader(object, light);
    m_text += SpotLightBody(SpotRotation(light.Direction()), m_frame.Scaled(light.Location()));
  }
  // Any other kind (an ambient light, for one) has no counterpart in the renderer.
}

void LightExporter::WriteHeader(const CRhinoLight& object, const ON_Light& light) {
  const CRhinoLayer& layer = object.ObjectLayer();
  const std::wstring layerId = UuidToText(layer.Id());
  bool& written = m_writtenLayers[layerId];
  if (!written) {
    m_text += LayerGroupRecord(layerId, WideText(layer.Name()));
    written = true;
  }
  m_text +=
      LightSourceHeader(UuidToText(light.ModelObjectId()), layerId, WideText(light.LightName()));
}

}  // namespace light
