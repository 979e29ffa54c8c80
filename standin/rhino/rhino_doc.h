// The document: objects, layers, materials, block definitions, lights, named
// views, units and path, held in memory.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "on_units.h"
#include "on_viewport.h"
#include "rdk.h"
#include "rhino_object.h"

class CRhinoLayer : public ON_ModelComponent {
 public:
  // The layer's render material (the document's material named by the layer,
  // or a default material).
  ON_Material LayerMaterial() const;
  ON_UUID m_material_id;
  const CRhinoDoc* m_doc = nullptr;
};

class CRhinoLayerTable {
 public:
  int LayerCount() const { return static_cast<int>(m_layers.size()); }
  const CRhinoLayer& operator[](int index) const;
  int AddLayer(const CRhinoLayer& layer);
  // Index of the layer with this id, or -1.
  int FindLayerFromId(const ON_UUID& id) const;
  const CRhinoLayer& CurrentLayer() const { return (*this)[0]; }

 private:
  std::vector<std::unique_ptr<CRhinoLayer>> m_layers;
  CRhinoLayer m_default;
};

class CRhinoLightTable {
 public:
  // Number of entries, deleted ones included (they keep their place).
  int LightCount() const { return static_cast<int>(m_lights.size()); }
  const CRhinoLight& operator[](int index) const { return *m_lights[static_cast<size_t>(index)]; }
  CRhinoLight& StandinAdd(std::unique_ptr<CRhinoLight> light);

 private:
  std::vector<std::unique_ptr<CRhinoLight>> m_lights;
};

class CRhinoInstanceDefinition : public ON_ModelComponent {
 public:
  int ObjectCount() const { return static_cast<int>(m_objects.size()); }
  const CRhinoObject* Object(int index) const;
  // The instance references to this definition (deleted and hidden ones too);
  // wheretoLook 0 looks at the document's top-level objects.
  int GetReferences(ON_SimpleArray<const CRhinoInstanceObject*>& references,
                    int wheretoLook = 0) const;
  CRhinoObject& StandinAddObject(std::unique_ptr<CRhinoObject> object);
  const CRhinoDoc* m_doc = nullptr;

 private:
  std::vector<std::unique_ptr<CRhinoObject>> m_objects;
};

class CRhinoInstanceDefinitionTable {
 public:
  int Count() const { return static_cast<int>(m_definitions.size()); }
  int InstanceDefinitionCount() const { return Count(); }
  // The definition at index, or null.
  const CRhinoInstanceDefinition* operator[](int index) const;
  const CRhinoInstanceDefinition* FindById(const ON_UUID& id) const;
  CRhinoInstanceDefinition& StandinAdd(std::unique_ptr<CRhinoInstanceDefinition> definition);

 private:
  std::vector<std::unique_ptr<CRhinoInstanceDefinition>> m_definitions;
};

// A saved view: its name, id and viewport.
class ON_3dmView {
 public:
  ON_wString m_name;
  ON_UUID m_named_view_id;
  ON_Viewport m_vp;
  const ON_Viewport& Viewport() const { return m_vp; }
};

class CRhinoDocProperties {
 public:
  // The named view at index, or null past the end of the list.
  const ON_3dmView* NamedView(int index) const;
  int NamedViewCount() const { return static_cast<int>(m_named_views.size()); }
  void StandinAddNamedView(const ON_3dmView& view) { m_named_views.push_back(view); }

 private:
  std::vector<ON_3dmView> m_named_views;
};

class CRhinoDoc {
 public:
  CRhinoDoc();
  ~CRhinoDoc();
  CRhinoDoc(const CRhinoDoc&) = delete;
  CRhinoDoc& operator=(const CRhinoDoc&) = delete;

  unsigned int RuntimeSerialNumber() const { return m_serial_number; }

  // The file the document was last saved to; empty when never saved.
  ON_wString GetPathName() const { return m_path; }
  void SetPathName(const ON_wString& path) { m_path = path; }

  // The model units may be read from any thread while the host changes them:
  // ModelUnits hands each thread its own consistent copy, which the caller
  // uses at once.
  const ON_UnitSystem& ModelUnits() const;
  void SetModelUnits(const ON_UnitSystem& units);

  const CRhinoDocProperties& Properties() const { return m_properties; }
  CRhinoDocProperties& StandinProperties() { return m_properties; }

  CRhinoLayerTable m_layer_table;
  CRhinoLightTable m_light_table;
  CRhinoInstanceDefinitionTable m_instance_definition_table;
  const CRhinoLayerTable& LayerTable() const { return m_layer_table; }
  const CRhinoLightTable& LightTable() const { return m_light_table; }
  const CRhinoInstanceDefinitionTable& InstanceDefinitionTable() const {
    return m_instance_definition_table;
  }

  // Objects in the order they were added (deleted ones keep their place).
  int StandinObjectCount() const { return static_cast<int>(m_objects.size()); }
  CRhinoObject* StandinObjectAt(int index) const {
    return m_objects[static_cast<size_t>(index)].get();
  }
  // A block instance is indexed under the definition it names when it is
  // added, so its m_definition_id is set before.
  CRhinoObject& StandinAddObject(std::unique_ptr<CRhinoObject> object);
  // The block instances naming this definition, in the order they were added.
  const std::vector<const CRhinoInstanceObject*>* StandinReferencesTo(
      const ON_UUID& definition) const;
  CRhinoObject* LookupObject(const ON_UUID& id) const;

  // Materials: every material of the document; those flagged appear in the RDK list.
  CRhRdkDocument& StandinRdk() { return m_rdk; }
  const CRhRdkDocument& StandinRdk() const { return m_rdk; }
  // The plain form of the material with this RDK instance id, or null.
  const ON_Material* StandinFindMaterial(const ON_UUID& id) const;

 private:
  unsigned int m_serial_number;
  ON_wString m_path;
  mutable std::mutex m_units_mutex;
  ON_UnitSystem m_units{ON::LengthUnitSystem::Millimeters};
  CRhinoDocProperties m_properties;
  std::vector<std::unique_ptr<CRhinoObject>> m_objects;
  // The host keeps each definition's references at hand: a send asks for them
  // once per definition, and a scan of every object each time would grow with
  // definitions times objects.
  std::map<ON_UUID, std::vector<const CRhinoInstanceObject*>> m_references;
  CRhRdkDocument m_rdk;
};
