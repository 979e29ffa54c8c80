#include "material/material_key.h"

namespace material {
namespace {

ON_wString KeyOf(const ON_wString& name, const ON_UUID& id) {
  return name + ON_wString(L"_") + CRhRdkUuid(id).String(36).Left(4);
}

}  // namespace

ON_wString MaterialKey(const ON_Material& material) {
  return KeyOf(material.Name(), material.RdkMaterialInstanceId());
}

ON_wString MaterialKey(const CRhRdkMaterial& material) {
  return KeyOf(material.InstanceName(), material.InstanceId());
}

}  // namespace material
