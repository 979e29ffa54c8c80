// A document material: openNURBS's material as the document holds it.
#pragma once

#include "opennurbs.h"

class CRhinoMaterial : public ON_Material {
 public:
  CRhinoMaterial() = default;
  explicit CRhinoMaterial(const ON_Material& material) : ON_Material(material) {}
  CRhinoMaterial& operator=(const ON_Material& material) {
    ON_Material::operator=(material);
    return *this;
  }
};
