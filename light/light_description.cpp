#include "light/light_description.h"

#include "common/renderer_frame.h"
#include "record_text/markup_escape.h"

namespace light {

using record_text::EscapeMarkup;

std::wstring RootGroupRecord(const std::wstring& fileName) {
  return L"<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId><GroupName>" +
         EscapeMarkup(fileName) + L"</GroupName></LightGroup>";
}

std::wstring LayerGroupRecord(const std::wstring& layerId, const std::wstring& layerName) {
  return L"<LightGroup><GroupId>" + layerId + L"</GroupId><ParentGroupId>0</ParentGroupId>" +
         L"<GroupName>" + EscapeMarkup(layerName) + L"</GroupName></LightGroup>";
}

std::wstring LightSourceHeader(const std::wstring& lightId, const std::wstring& layerId,
                               const std::wstring& lightName) {
  return L"<LightSource><UpdateMode>0</UpdateMode><LightId>" + lightId + L"</LightId>" +
         L"<ParentGroupId>" + layerId + L"</ParentGroupId><LightName>" + EscapeMarkup(lightName) +
         L"[" + lightId.substr(0, 4) + L"]</LightName>";
}

std::wstring TypeText(LightType type) {
  return L"<type>" + std::to_wstring(static_cast<int>(type)) + L"</type>";
}

namespace {

std::wstring Row(const ON_3dVector& v) {
  return NumberText(v.x) + L"," + NumberText(v.y) + L"," + NumberText(v.z);
}

// The position in the renderer's axes and the closing "1.0".
std::wstring PositionRow(const ON_3dPoint& position) {
  return Row(ON_3dVector(common::RendererAxes(position))) + L",1.0";
}

// A column of the rotation in the renderer's axes and "0.0".
std::wstring RotationRow(const Eigen::Matrix3d& r, int column) {
  return Row(common::RendererAxes(ON_3dVector(r(0, column), r(1, column), r(2, column)))) +
         L",0.0,";
}

const wchar_t kBrightnessAndClose[] = L"<Brightness>40</Brightness></LightSource>";

}  // namespace

std::wstring PointTransformText(const ON_3dPoint& position) {
  return L"<Transform>1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0, 0.0, 1.0,0.0," + PositionRow(position) +
         L"</Transform>";
}

std::wstring TransformText(const Eigen::Matrix3d& rotation, const ON_3dPoint& position) {
  return L"<Transform>" + RotationRow(rotation, 1) + RotationRow(rotation, 0) +
         RotationRow(rotation, 2) + PositionRow(position) + L"</Transform>";
}

std::wstring PointLightBody(const ON_3dPoint& position) {
  return TypeText(LightType::Point) + PointTransformText(position) + kBrightnessAndClose;
}

std::wstring SpotLightBody(const Eigen::Matrix3d& rotation, const ON_3dPoint& position) {
  return TypeText(LightType::Spot) + TransformText(rotation, position) + kBrightnessAndClose;
}

std::wstring AreaLightBody(LightType type, const Eigen::Matrix3d& rotation,
                           const ON_3dPoint& position, double sizeX, double sizeY) {
  return TypeText(type) + TransformText(rotation, position) + L"<SizeX>" + NumberText(sizeX) +
         L"</SizeX><SizeY>" + NumberText(sizeY) + L"</SizeY>" + kBrightnessAndClose;
}

std::wstring WholeDescription(const std::wstring& fileName, const std::wstring& records) {
  return RootGroupRecord(fileName) + records + L"</Root>";
}

}  // namespace light
