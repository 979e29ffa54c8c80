// Document objects: meshes, polysurfaces with faces, instance references and
// lights; object references to render meshes; the object iterator.
#pragma once

#include <memory>
#include <vector>

#include "opennurbs.h"
#include "rhino_material.h"
#include "windows_types.h"

class CRhinoDoc;
class CRhinoLayer;
class CRhinoInstanceDefinition;
class CRhinoViewport;

class CRhinoObjectAttributes : public ON_3dmObjectAttributes {};

class CRhinoObject : public ON_Object {
 public:
  CRhinoObject();
  ~CRhinoObject() override;

  ON::object_type ObjectType() const override = 0;
  const ON_UUID Id() const { return m_attributes.m_uuid; }
  ON_UUID ModelObjectId() const override { return m_attributes.m_uuid; }
  const CRhinoObjectAttributes& Attributes() const { return m_attributes; }
  CRhinoDoc* Document() const { return m_doc; }

  bool IsDeleted() const { return m_deleted; }
  // The object of the document with this runtime serial number (0: any open
  // document) that has this id; deleted objects are not found by id.
  static const CRhinoObject* FromId(unsigned int rhino_doc_runtime_serial_number,
                                    ON_UUID rhino_object_id);
  // The serial number of the document the object is in, 0 when it is in none or
  // deleted. Objects of linked files and worksessions count as in the document.
  unsigned int IsActiveInDocument() const;
  // The object's own state (its mode), whatever its layer's.
  bool IsLocked() const { return m_attributes.Mode() == ON::locked_object; }
  bool IsHidden() const { return m_attributes.Mode() == ON::hidden_object; }
  bool IsReference() const { return m_reference; }
  // Neither deleted nor hidden, and on a layer that is on in a layer that is on.
  bool IsVisible() const;

  const CRhinoLayer& ObjectLayer() const;
  // The object's render material: its own when it names one, else its layer's.
  virtual const CRhinoMaterial& ObjectMaterial() const;
  // True when a sub-object (such as a face of a polysurface) has its own material.
  virtual bool HasSubobjectMaterials() const { return false; }
  // Explodes the object into its sub-objects, which the caller deletes: their
  // number (2 or more), or 0 when the object cannot be exploded.
  virtual int GetSubObjects(ON_SimpleArray<CRhinoObject*>& subObjects,
                            const CRhinoViewport* pViewport = nullptr) const;

  // --- Stand-in side (the host and tests build documents with these) ---
  CRhinoObjectAttributes& StandinAttributes() { return m_attributes; }
  void StandinSetDocument(CRhinoDoc* doc) { m_doc = doc; }
  void StandinSetDeleted(bool deleted) { m_deleted = deleted; }
  void StandinSetReference(bool reference) { m_reference = reference; }
  // False: the object is held outside the document (say, by an undo record).
  void StandinSetActive(bool active) { m_active = active; }
  // The RDK instance id of the object's own material; nil: its layer's.
  void StandinSetMaterial(const ON_UUID& material) { m_material_id = material; }
  const ON_UUID& StandinMaterial() const { return m_material_id; }
  // The render meshes (world coordinates) the object shows; none by default.
  virtual void StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const;

 protected:
  CRhinoObjectAttributes m_attributes;
  CRhinoDoc* m_doc = nullptr;
  ON_UUID m_material_id = ON_nil_uuid;
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

// A polysurface: one render mesh per face; a face may have its own material.
class CRhinoBrepObject : public CRhinoObject {
 public:
  struct Face {
    ON_Mesh mesh;
    ON_UUID material_id = ON_nil_uuid;  // nil: the face wears the object's material
  };
  ON::object_type ObjectType() const override { return ON::brep_object; }
  // The object as a whole renders as one mesh: its faces joined.
  void StandinRenderMeshes(std::vector<const ON_Mesh*>* meshes) const override;
  bool HasSubobjectMaterials() const override;
  int GetSubObjects(ON_SimpleArray<CRhinoObject*>& subObjects,
                    const CRhinoViewport* pViewport = nullptr) const override;
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
  const ON_Xform& InstanceXform() const { return m_xform; }
  const CRhinoInstanceDefinition* InstanceDefinition() const;
  ON_UUID m_definition_id = ON_nil_uuid;
  ON_Xform m_xform = ON_Xform::IdentityTransformation;
};

class CRhinoLight : public CRhinoObject {
 public:
  ON::object_type ObjectType() const override { return ON::light_object; }
  const ON_Light& Light() const { return m_light; }
  ON_Light m_light;
};

// A reference to one render mesh of one object.
class CRhinoObjRef : public ON_ObjRef {
 public:
  CRhinoObjRef() = default;
  CRhinoObjRef(const CRhinoObject* object, std::shared_ptr<const ON_Mesh> mesh)
      : m_object(object), m_render_mesh(std::move(mesh)) {}
  const CRhinoObject* Object() const { return m_object; }
  const ON_Mesh* Mesh() const { return m_render_mesh.get(); }

 private:
  const CRhinoObject* m_object = nullptr;
  std::shared_ptr<const ON_Mesh> m_render_mesh;
};

// Gathers the render meshes of the given objects, one reference per mesh, in
// the order of the objects. An instance reference yields the render meshes of
// the objects of its definition, nested references included, each a copy
// transformed to where the reference places it, and each reference's Object()
// is the object inside the definition.
// - bOkToCreate: create missing render meshes (the stand-in's always exist);
// - bReturnAllObjects: also return a reference without a mesh for an object
//   that has none (false: such objects are left out);
// - bSkipHiddenObjects: leave out hidden objects.
// Returns the number of references appended.
int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& render_meshes, bool bOkToCreate,
                         bool bReturnAllObjects, bool bSkipHiddenObjects);
int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& render_meshes, bool bOkToCreate = true,
                         bool bReturnAllObjects = false);

// Walks the document's objects, filtered by state and category. Lights, grips
// and phantoms are left out unless asked for.
class CRhinoObjectIterator {
 public:
  enum object_state {
    normal_objects = 1,  // neither locked nor hidden
    locked_objects = 2,  // locked, or on a locked layer or one in a locked layer
    hidden_objects = 4,  // hidden, or on a layer that is off or in one that is off
    idef_objects = 8,
    deleted_objects = 16,
    normal_or_locked_objects = 3,
    undeleted_objects = 7,
    all_objects = 0xFFFFFFFF,
    undeleted_and_idef_objects = 0x7FFFFFFF
  };
  enum object_category {
    active_objects = 1,
    reference_objects = 2,
    active_and_reference_objects = 3
  };

  CRhinoObjectIterator(const CRhinoDoc& doc, object_state state = normal_or_locked_objects,
                       object_category category = active_objects);
  ~CRhinoObjectIterator();
  void IncludeLights(BOOL bIncludeLights = true) { m_lights = bIncludeLights != 0; }
  void IncludeGrips(bool bIncludeGrips = true) { m_grips = bIncludeGrips; }
  void IncludePhantoms(bool bIncludePhantoms = true) { m_phantoms = bIncludePhantoms; }
  CRhinoObject* First();
  CRhinoObject* Next();

 private:
  bool Accepts(const CRhinoObject& object) const;
  const CRhinoDoc& m_doc;
  unsigned int m_state;
  unsigned int m_category;
  bool m_lights = false;
  bool m_grips = false;
  bool m_phantoms = false;
  int m_index = 0;
};
