#include "model_export/swatch.h"

namespace model_export {

void SwatchPositions(const ON_3fPoint& anchor, const common::RendererFrame& frame, float out[9]) {
  const ON_3fPoint a = frame.PointF(ON_3dPoint(anchor));
  const float corners[9] = {a.x, a.y, a.z, a.x + kSwatchOffset, a.y, a.z, a.x, a.y + kSwatchOffset,
                            a.z};
  for (int i = 0; i < 9; ++i) out[i] = corners[i];
}

ON_3fPoint SwatchAnchor(const CRhinoDoc* doc) {
  if (!doc) return ON_3fPoint(0, 0, 0);
  CRhinoObjectIterator it(*doc, CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  for (const CRhinoObject* object = it.First(); object; object = it.Next()) {
    ON_SimpleArray<const CRhinoObject*> one;
    one.Append(object);
    ON_ClassArray<CRhinoObjRef> meshes;
    if (RhinoGetRenderMeshes(one, meshes, true, false) <= 0) continue;
    const ON_Mesh* mesh = meshes[0].Mesh();
    if (!mesh) continue;
    return ON_3fPoint(mesh->BoundingBox().Center());
  }
  return ON_3fPoint(0, 0, 0);
}

}  // namespace model_export
