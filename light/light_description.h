// The light description: the one text that tells the renderer which lights the
// document holds, grouped by layer, with each light's kind, placement and size.
// It is XML element syntax assembled by plain concatenation (no declaration, no
// attributes, no white space); names and the file name are escaped so that the
// text is always well-formed.
#pragma once

#include <Eigen/Core>
#include <string>

#include "RhinoSdk.h"
#include "record_text/number_text.h"

namespace light {

// The type code the renderer knows each light kind by.
enum class LightType : int { Point = 0, Spot = 1, Linear = 2, Rectangular = 3 };

// Computed numbers are written as in the material records: fixed-point with six
// decimals, as "%f" writes a double (12.5 gives "12.500000", -0.0 gives "-0.000000").
using record_text::NumberText;

// "<Root><LightGroup><GroupId>0</GroupId><ParentGroupId></ParentGroupId><GroupName>",
// the document's file name, "</GroupName></LightGroup>".
std::wstring RootGroupRecord(const std::wstring& fileName);

// The group record of one layer; every layer group hangs under the root group 0.
std::wstring LayerGroupRecord(const std::wstring& layerId, const std::wstring& layerName);

// The opening of a light source record, up to and including its name: the name
// is followed by the first four characters of the light id in brackets.
std::wstring LightSourceHeader(const std::wstring& lightId, const std::wstring& layerId,
                               const std::wstring& lightName);

// "<type>N</type>" for the light's type code.
std::wstring TypeText(LightType type);

// "<Transform>...</Transform>" of a point light: the three fixed rotation rows,
// then the position in the renderer frame and "1.0".
std::wstring PointTransformText(const ON_3dPoint& position);

// "<Transform>...</Transform>" from a rotation and a position, both in Rhino's
// frame: the rows are the renderer forms of the rotation's columns 1, 0 and 2
// (the images of the y, x and z axes), each followed by "0.0", then the
// position's renderer form (y, x, z) and "1.0".
std::wstring TransformText(const Eigen::Matrix3d& rotation, const ON_3dPoint& position);

// The rest of a light source record after its header: the type, the transform,
// the sizes (linear and rectangular lights only), the brightness, the closing tag.
std::wstring PointLightBody(const ON_3dPoint& position);
std::wstring SpotLightBody(const Eigen::Matrix3d& rotation, const ON_3dPoint& position);
std::wstring AreaLightBody(LightType type, const Eigen::Matrix3d& rotation,
                           const ON_3dPoint& position, double sizeX, double sizeY);

// The whole description: the root group record, the layer group and light
// source records, "</Root>".
std::wstring WholeDescription(const std::wstring& fileName, const std::wstring& records);

}  // namespace light
