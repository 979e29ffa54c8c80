// Document objects: meshes, polysurfaces with faces, instance references and
// lights; object references to render meshes; the object iterator.
#pragma once

#include <memory>
#include <vector>

#include "on_array.h"
#include "on_geometry.h"
#include "on_light.h"
#include "on_material.h"
#include "on_mesh.h"

class CRhinoDoc;
class CRhinoLayer;
class CRhinoInstanceDefinition;

namespace ON {
enum object_type : unsigned int {
  unknown_object_type = 0,
  point_object = 1,
  surface_object = 8,
  brep_object = 0x10,
  mesh_object = 0x20,
  light_object = 0x100,
  instance_reference = 0x1000,
  instance_definition = 0x2000,
};
enum class object_mode : unsigned char { normal_object = 0, hidden_object = 1, locked_object = 2 };
}  // namespace ON

// Attributes every object carries.
struct ON_3dmObjectAttributes {
  ON_UUID m_uuid;
  ON_wString m_name;
  int m_layer_index = 0;
  ON_UUID m_material_id;  // nil: the layer's material
  ON::object_mode m_mode = ON::object_mode::normal_object;
  const ON_wString& Name() const { return m_name; }
};

class CRhinoObject : public ON_Object {
 public:
  CRhinoObject() = default;
  ~CRhinoObject() override = default;

  virtual ON::object_type ObjectType() const { return ON::unknown_object_type; }
  ON_UUID Id() const { return m_attributes.m_uuid; }
  const ON_3dmObjectAttributes& Attributes() const { return m_attributes; }
  ON_3dmObjectAttributes& StandinAttributes() { return m_attributes; }

  const CRhinoDoc* Document() const { return m_doc; }
  void StandinSetDocument(CRhinoDoc* doc) { m_doc = doc; }

  // State: deleted objects are never visible; hidden objects are not visible.
  bool IsDeleted() const { return m_deleted; }
  bool IsHidden() const { return m_attributes.m_mode == ON::object_mode::hidden_object; }
  bool IsLocked() const { return m_attributes.m_mode == ON::object_mode::locked_object; }
  bool IsVisible() const { return !m_deleted && !IsHidden(); }
  // Active objects belong to the document; reference objects come from linked files.
  bool IsReference() const { return m_reference; }
  bool IsActiveInDocument() const { return m_active; }
  void StandinSetDeleted(bool deleted) { m_deleted = deleted; }
  void StandinSetReference(bool reference) { m_reference = reference; }
  void StandinSetActive(bool active) { m_active = active; }

  const CRhinoLayer& ObjectLayer() const;
  // The object's render material: its own when it names one, else its layer's.
  ON_Material ObjectMaterial() const;

  // Render meshes (world coordinates) this object shows; none by default.
  virtual void StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const;
  // True when any sub-object (such as a face of a polysurface) carries its own material.
  virtual bool HasSubobjectMaterials() const { return false; }
  // Splits the object into its sub-objects; the caller deletes them.
  virtual int GetSubObjects(ON_SimpleArray<CRhinoObject*>& subObjects) const;

 protected:
  ON_3dmObjectAttributes m_attributes;
  CRhinoDoc* m_doc = nullptr;
  bool m_deleted = false;
  bool m_reference = false;
  bool m_active = true;
};

// A mesh object with its render mesh.
class CRhinoMeshObject : public CRhinoObject {
 public:
  ON::object_type ObjectType() const override { return ON::mesh_object; }
  void StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const override;
  ON_Mesh m_mesh;
};

// A polysurface: one render mesh per face; a face may carry its own material.
class CRhinoBrepObject : public CRhinoObject {
 public:
  struct Face {
    ON_Mesh mesh;
    ON_UUID material_id;  // nil: the face wears the object's material
  };
  ON::object_type ObjectType() const override { return ON::brep_object; }
  // The object as a whole renders as one mesh: its faces joined.
  void StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const override;
  bool HasSubobjectMaterials() const override;
  int GetSubObjects(ON_SimpleArray<CRhinoObject*>& subObjects) const override;
  void StandinSetFaces(std::vector<Face> faces);
  const std::vector<Face>& Faces() const { return m_faces; }

 private:
  std::vector<Face> m_faces;
  ON_Mesh m_joined;
};

// One face of a polysurface, as GetSubObjects hands it out.
class CRhinoBrepFaceObject : public CRhinoObject {
 public:
  ON::object_type ObjectType() const override { return ON::surface_object; }
  void StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const override;
  const ON_Mesh* m_face_mesh = nullptr;
};

// A block instance: a definition placed by a transform.
class CRhinoInstanceObject : public CRhinoObject {
 public:
  ON::object_type ObjectType() const override { return ON::instance_reference; }
  ON_Xform InstanceXform() const { return m_xform; }
  const CRhinoInstanceDefinition* InstanceDefinition() const;
  ON_UUID m_definition_id;
  ON_Xform m_xform = ON_Xform::IdentityTransformation;
};

class CRhinoLight : public CRhinoObject {
 public:
  ON::object_type ObjectType() const override { return ON::light_object; }
  const ON_Light& Light() const { return m_light; }
  ON_Light m_light;
};

// A reference to one render mesh of one object.
class CRhinoObjRef {
 public:
  CRhinoObjRef() = default;
  CRhinoObjRef(const CRhinoObject* object, std::shared_ptr<const ON_Mesh> mesh)
      : m_object(object), m_mesh(std::move(mesh)) {}
  const CRhinoObject* Object() const { return m_object; }
  const ON_Mesh* Mesh() const { return m_mesh.get(); }

 private:
  const CRhinoObject* m_object = nullptr;
  std::shared_ptr<const ON_Mesh> m_mesh;
};

// Gathers the render meshes of the given objects, one reference per mesh, in
// the order of the objects:
// - bOkToCreateMeshes: create missing render meshes (the stand-in's meshes always exist);
// - bReturnAllObjects: also return a reference without a mesh for objects that have none
//   (false: such objects are left out);
// - bExpandInstanceReferences (five-argument form): an instance reference yields the render
//   meshes of its definition's objects, transformed to where the reference places them,
//   nested references included (false: instance references have no render mesh).
// Returns the number of references appended.
int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& meshes, bool bOkToCreateMeshes,
                         bool bReturnAllObjects);
int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& meshes, bool bOkToCreateMeshes,
                         bool bReturnAllObjects, bool bExpandInstanceReferences);

// Walks the document's objects, filtered by state and category.
class CRhinoObjectIterator {
 public:
  enum object_state : unsigned int {
    normal_objects = 1,
    locked_objects = 2,
    hidden_objects = 4,
    deleted_objects = 16,
    normal_or_locked_objects = 3,
    undeleted_objects = 7,
    all_objects = 0xFFFFFFFF,
  };
  enum object_category : unsigned int {
    active_objects = 1,
    reference_objects = 2,
    active_and_reference_objects = 3,
  };

  CRhinoObjectIterator(const CRhinoDoc& doc, object_state state,
                       object_category category = active_and_reference_objects);
  CRhinoObjectIterator(const CRhinoDoc& doc, unsigned int state, unsigned int category);
  CRhinoObject* First();
  CRhinoObject* Next();

 private:
  bool Accepts(const CRhinoObject& object) const;
  const CRhinoDoc& m_doc;
  unsigned int m_state;
  unsigned int m_category;
  size_t m_index = 0;
};
