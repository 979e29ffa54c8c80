// The renderer's frame, in one place. Everything that reaches the renderer,
// points, directions, block placements and cameras, is in the host's world
// frame with the X and Y axes exchanged (renderer x = host y, renderer y =
// host x, z unchanged) and every length in centimetres.
#pragma once

#include <cmath>

#include "RhinoSdk.h"

namespace common {

// How the coordinates of a mesh reach the renderer.
enum class MeshAxes {
  // An object's render mesh, already in world position: renderer axes, placed
  // by the identity.
  kRenderer,
  // A block definition's mesh: the definition's own model axes, placed by each
  // reference's transform (RendererFrame::Placement), which does the exchange.
  kModel,
};

// The renderer's camera: nine floats (position, view direction, up) in the
// renderer frame and a field of view in degrees.
struct CameraRecord {
  float values[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  float fov = 45.0f;  // a viewport of no known projection keeps this
};

// A triple in the renderer's axes: x and y exchanged. Exact in any precision.
inline ON_3dPoint RendererAxes(const ON_3dPoint& p) { return ON_3dPoint(p.y, p.x, p.z); }
inline ON_3dVector RendererAxes(const ON_3dVector& v) { return ON_3dVector(v.y, v.x, v.z); }
// The same for three floats, written to out[0..2].
inline void StoreInRendererAxes(float x, float y, float z, float* out) {
  out[0] = y;
  out[1] = x;
  out[2] = z;
}

// A document's frame as the renderer sees it: the renderer's axes and the
// document's unit scale. Every send takes one at its start.
class RendererFrame {
 public:
  // The document's metres per unit (NaN for an unset unit system) times 100;
  // 1.0 when there is no document.
  explicit RendererFrame(const CRhinoDoc* doc);
  explicit RendererFrame(double centimetresPerUnit) : m_scale(centimetresPerUnit) {}

  // Centimetres per model unit: every length sent is multiplied by it.
  double Scale() const { return m_scale; }
  // Whether every length is sent as in `other`: the same scale, or both not a
  // number (no units, before and now).
  bool SameScaleAs(const RendererFrame& other) const {
    return m_scale == other.m_scale || (std::isnan(m_scale) && std::isnan(other.m_scale));
  }
  double Length(double modelLength) const { return modelLength * m_scale; }

  // A point of the model in centimetres, its axes as the host's.
  ON_3dPoint Scaled(const ON_3dPoint& p) const { return p * m_scale; }
  // A point of the model in the renderer frame, in double and in single
  // precision (each coordinate scaled in double, then rounded once).
  ON_3dPoint Point(const ON_3dPoint& p) const { return RendererAxes(Scaled(p)); }
  ON_3fPoint PointF(const ON_3dPoint& p) const;

  // A block reference's placement R = E·S·X·S⁻¹ as 16 floats in column-major
  // order (translation in floats 12 to 14). X maps definition coordinates to
  // world coordinates, S scales x, y and z by the unit scale and E exchanges
  // rows 0 and 1. Applied to a block mesh vertex sent in model axes and
  // centimetres (MeshAxes::kModel), R gives its world position in the
  // renderer frame, in centimetres.
  void Placement(const ON_Xform& x, float out[16]) const;

  // A viewport as the renderer's camera.
  CameraRecord Camera(const ON_Viewport& viewport) const;

 private:
  double m_scale;
};

}  // namespace common
