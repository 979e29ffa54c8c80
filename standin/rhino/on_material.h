// Colours, textures and materials (basic and physically based).
#pragma once

#include <memory>

#include "on_array.h"
#include "on_geometry.h"

// A byte colour packed as 0xAABBGGRR; the alpha byte counts in comparisons.
class ON_Color {
 public:
  ON_Color() = default;
  ON_Color(int red, int green, int blue, int alpha = 0);
  explicit ON_Color(unsigned int packed) : m_color(packed) {}
  int Red() const { return static_cast<int>(m_color & 0xFF); }
  int Green() const { return static_cast<int>((m_color >> 8) & 0xFF); }
  int Blue() const { return static_cast<int>((m_color >> 16) & 0xFF); }
  int Alpha() const { return static_cast<int>((m_color >> 24) & 0xFF); }
  operator unsigned int() const { return m_color; }
  static const ON_Color Black;
  static const ON_Color White;

 private:
  unsigned int m_color = 0;
};

// A float colour, channels nominally 0..1.
class ON_4fColor {
 public:
  ON_4fColor() = default;
  ON_4fColor(float r, float g, float b, float a) : m_r(r), m_g(g), m_b(b), m_a(a) {}
  explicit ON_4fColor(const ON_Color& c);
  float Red() const { return m_r; }
  float Green() const { return m_g; }
  float Blue() const { return m_b; }
  float Alpha() const { return m_a; }

 private:
  float m_r = 0, m_g = 0, m_b = 0, m_a = 1;
};

class ON_FileReference {
 public:
  ON_FileReference() = default;
  explicit ON_FileReference(const ON_wString& fullPath) : m_full_path(fullPath) {}
  const ON_wString& FullPath() const { return m_full_path; }
  void SetFullPath(const ON_wString& path) { m_full_path = path; }

 private:
  ON_wString m_full_path;
};

class ON_Texture : public ON_Object {
 public:
  // Texture roles, numbered as the SDK numbers them.
  enum class TYPE : unsigned int {
    no_texture_type = 0,
    bitmap_texture = 1,
    diffuse_texture = 1,
    bump_texture = 2,
    transparency_texture = 3,
    opacity_texture = 3,
    pbr_base_color_texture = 1,
    pbr_subsurface_texture = 10,
    pbr_subsurface_scattering_texture = 11,
    pbr_subsurface_scattering_radius_texture = 12,
    pbr_metallic_texture = 13,
    pbr_specular_texture = 14,
    pbr_specular_tint_texture = 15,
    pbr_roughness_texture = 16,
    pbr_anisotropic_texture = 17,
    emap_texture = 86,
  };

  bool m_bOn = true;
  TYPE m_type = TYPE::bitmap_texture;
  ON_FileReference m_image_file_reference;
  double m_blend_constant_A = 1.0;  // the texture's amount
  ON_Xform m_uvw = ON_Xform::IdentityTransformation;
};

class ON_PhysicallyBasedMaterial {
 public:
  ON_4fColor BaseColor() const { return m_base_color; }
  ON_4fColor Emission() const { return m_emission; }
  double Opacity() const { return m_opacity; }
  double Roughness() const { return m_roughness; }
  double Metallic() const { return m_metallic; }
  double Specular() const { return m_specular; }
  double OpacityIOR() const { return m_opacity_ior; }

  ON_4fColor m_base_color{1, 1, 1, 1};
  ON_4fColor m_emission{0, 0, 0, 1};
  double m_opacity = 1.0;
  double m_roughness = 0.5;
  double m_metallic = 0.0;
  double m_specular = 0.5;
  double m_opacity_ior = 1.5;
};

class ON_Material : public ON_ModelComponent {
 public:
  ON_Color Diffuse() const { return m_diffuse; }
  ON_Color Emission() const { return m_emission; }
  double Transparency() const { return m_transparency; }
  double Reflectivity() const { return m_reflectivity; }
  bool FresnelReflections() const { return m_bFresnelReflections; }
  double Shine() const { return m_shine; }
  double IndexOfRefraction() const { return m_index_of_refraction; }
  double ReflectionGlossiness() const { return m_reflection_glossiness; }
  double FresnelIndexOfRefraction() const { return m_fresnel_index_of_refraction; }
  const ON_UUID& RdkMaterialInstanceId() const { return m_rdk_material_instance_id; }
  void SetRdkMaterialInstanceId(const ON_UUID& id) { m_rdk_material_instance_id = id; }

  bool IsPhysicallyBased() const { return m_pbr != nullptr; }
  std::shared_ptr<ON_PhysicallyBasedMaterial> PhysicallyBased() const { return m_pbr; }
  void ToPhysicallyBased() {
    if (!m_pbr) m_pbr = std::make_shared<ON_PhysicallyBasedMaterial>();
  }

  ON_Color m_diffuse{128, 128, 128};
  ON_Color m_emission{0, 0, 0};
  double m_transparency = 0.0;
  double m_reflectivity = 0.0;
  bool m_bFresnelReflections = false;
  double m_shine = 0.0;
  double m_index_of_refraction = 1.0;
  double m_reflection_glossiness = 1.0;
  double m_fresnel_index_of_refraction = 1.56;
  ON_ObjectArray<ON_Texture> m_textures;

 private:
  ON_UUID m_rdk_material_instance_id;
  std::shared_ptr<ON_PhysicallyBasedMaterial> m_pbr;
};
