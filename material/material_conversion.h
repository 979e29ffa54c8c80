// Material conversion: one host material into one material record. Both forms
// write the same elements in the same order; they differ in where colours and
// numbers come from and in which texture roles they carry. Neither changes the
// material or keeps anything between calls.
#pragma once

#include <string>

#include "RhinoSdk.h"

namespace material {

// The plain material: diffuse and emission colours, opacity 1 - transparency
// (the literal "1.0" when the transparency is exactly 0), roughness from
// Shine(), index of refraction from IndexOfRefraction(), and the reflectivity
// as specular (Fresnel reflections on) or as metallic (off). Texture roles:
// diffuse, bump and transparency.
std::wstring BasicMaterialRecord(const ON_Material& material);

// The physically based view of the material: base and emission colours,
// opacity, roughness, metallic, a third of the specular value, and the opacity
// IOR. Texture roles: diffuse (base colour), bump, transparency, metallic,
// specular and roughness. A material without a physically based view is given
// the basic conversion instead.
std::wstring PhysicallyBasedMaterialRecord(const ON_Material& material);

// The physically based conversion when IsPhysicallyBased() holds, the basic
// one otherwise: the choice the materials element makes for each material.
std::wstring MaterialRecordOf(const ON_Material& material);

}  // namespace material
