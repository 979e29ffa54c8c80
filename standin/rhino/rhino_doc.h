// The document: objects, layers, materials, block definitions, lights, named
// views, units and path, held in memory.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "opennurbs.h"
#include "rdk.h"
#include "rhino_material.h"
#include "rhino_object.h"

class CRhinoLayer : public ON_Layer {
 public:
  CRhinoLayer() = default;
  explicit CRhinoLayer(const ON_Layer& layer) : ON_Layer(layer) {}
  // The layer's render material: the document's material named by the layer,
  // or the default material.
  const CRhinoMaterial& LayerMaterial() const;
  // The layer it is in, null for a layer at the top level; with
  // bRootLevelParent, the top-level layer above it.
  const CRhinoLayer* ParentLayer(bool bRootLevelParent) const;
  // --- Stand-in side ---
  // The RDK instance id of the layer's material; nil: the default material.
  ON_UUID m_standin_material_id = ON_nil_uuid;
  const CRhinoDoc* m_doc = nullptr;
};

class CRhinoLayerTable {
 public:
  int LayerCount() const { return static_cast<int>(m_layers.size()); }
  // The layer at index; the default layer past either end.
  const CRhinoLayer& operator[](int layer_index) const;
  const CRhinoLayer& CurrentLayer() const { return (*this)[0]; }
  int AddLayer(const ON_Layer& layer, bool bReference = false);
  // The document that owns the table.
  CRhinoDoc& Document() const { return *m_doc; }

  // --- Stand-in side ---
  // The layer at index, to change it: the table reads the change at its next
  // question about the tree, so keep the reference no longer than the change.
  CRhinoLayer& StandinLayer(int index) {
    m_tree_current = false;
    return *m_layers[static_cast<size_t>(index)];
  }
  // Index of the layer with this id, or -1.
  int FindLayerFromId(const ON_UUID& id) const;
  // Index of the first layer with this name, or -1.
  int StandinFindLayerFromName(const ON_wString& name) const;
  // The tree, as Rhino shows it: the index of a layer's parent, -1 for a layer
  // at the top level (so is a layer whose parent id names no layer, or whose
  // parents lead round in a circle); whether objects on the layer show (it and
  // every layer above it are on); whether it or a layer above it is locked.
  int StandinParentIndex(int layer_index) const;
  bool StandinLayerShown(int layer_index) const;
  bool StandinLayerLocked(int layer_index) const;
  CRhinoDoc* m_doc = nullptr;

 private:
  struct TreePlace {
    int parent = -1;
    bool shown = true;
    bool locked = false;
  };
  // Each layer's place in the tree, worked out for all layers at once when
  // asked after a change: a send asks for every object.
  const TreePlace* Place(int layer_index) const;
  std::vector<std::unique_ptr<CRhinoLayer>> m_layers;
  CRhinoLayer m_default;
  mutable std::vector<TreePlace> m_tree;
  mutable bool m_tree_current = false;
};

class CRhinoLightTable {
 public:
  // Number of entries, deleted ones included (they keep their place).
  int LightCount() const { return static_cast<int>(m_lights.size()); }
  const CRhinoLight& operator[](int light_index) const {
    return *m_lights[static_cast<size_t>(light_index)];
  }
  CRhinoLight& StandinAdd(std::unique_ptr<CRhinoLight> light);

 private:
  std::vector<std::unique_ptr<CRhinoLight>> m_lights;
};

class CRhinoInstanceDefinition : public ON_InstanceDefinition {
 public:
  int ObjectCount() const { return static_cast<int>(m_objects.size()); }
  const CRhinoObject* Object(int index) const;
  // The top-level instance references to this definition that are not
  // deleted (normal, hidden or locked); where_to_look 0 only.
  int GetReferences(ON_SimpleArray<const CRhinoInstanceObject*>& iref_object_list,
                    int where_to_look = 0) const;
  CRhinoObject& StandinAddObject(std::unique_ptr<CRhinoObject> object);
  const CRhinoDoc* m_doc = nullptr;

 private:
  std::vector<std::unique_ptr<CRhinoObject>> m_objects;
};

class CRhinoInstanceDefinitionTable {
 public:
  int InstanceDefinitionCount() const { return static_cast<int>(m_definitions.size()); }
  // The definition at index, or null.
  const CRhinoInstanceDefinition* operator[](int idef_index) const;
  // The document that owns the table.
  CRhinoDoc& Document() const { return *m_doc; }

  // --- Stand-in side ---
  const CRhinoInstanceDefinition* StandinFindById(const ON_UUID& id) const;
  CRhinoInstanceDefinition& StandinAdd(std::unique_ptr<CRhinoInstanceDefinition> definition);
  // The definition at index, to change it; null past either end.
  CRhinoInstanceDefinition* StandinDefinition(int idef_index);
  // Index of the first definition with this name that is not deleted, or -1.
  int StandinFindByName(const ON_wString& name) const;
  CRhinoDoc* m_doc = nullptr;

 private:
  std::vector<std::unique_ptr<CRhinoInstanceDefinition>> m_definitions;
};

// The document's materials: a view of its RDK materials, in the order they
// were added, whether the RDK material list shows them or not.
class CRhinoMaterialTable {
 public:
  int MaterialCount() const;
  // The material at index; the default material past either end.
  const CRhinoMaterial& operator[](int material_index) const;
  // The document that owns the table.
  CRhinoDoc& Document() const { return *m_doc; }

  // --- Stand-in side ---
  // Index of the first material whose RDK content has this name, or -1.
  int StandinFindMaterialFromName(const ON_wString& name) const;
  CRhinoDoc* m_doc = nullptr;
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

  const ON_UnitSystem& ModelUnits() const { return m_units; }
  void SetModelUnits(const ON_UnitSystem& units) { m_units = units; }

  const CRhinoDocProperties& Properties() const { return m_properties; }
  CRhinoDocProperties& StandinProperties() { return m_properties; }

  CRhinoLayerTable m_layer_table;
  CRhinoLightTable m_light_table;
  CRhinoInstanceDefinitionTable m_instance_definition_table;
  CRhinoMaterialTable m_material_table;

  // The status bar's progress meter, one per document. Start gives 1 when it
  // starts the meter and -1 when one is already running; Pos gives the
  // previous position and moves by nPos when bAbsolute is false. Pos and End
  // do nothing while no meter runs. The host is told of each change.
  int StatusBarProgressMeterStart(int nLower, int nUpper, const wchar_t* pszLabel = nullptr,
                                  bool bEmbedLabel = true, bool bShowPercent = true);
  int StatusBarProgressMeterPos(int nPos, bool bAbsolute = true);
  void StatusBarProgressMeterEnd();

  const CRhinoObject* LookupObject(const ON_UUID& id) const;

  // --- Stand-in side ---
  // Objects in the order they were added (deleted ones keep their place).
  int StandinObjectCount() const { return static_cast<int>(m_objects.size()); }
  CRhinoObject* StandinObjectAt(int index) const {
    return m_objects[static_cast<size_t>(index)].get();
  }
  // A block instance is indexed under the definition it names when it is
  // added, so its m_definition_id is set before. With `after`, the object
  // takes the place after that one (an edit's replacement), else the last.
  CRhinoObject& StandinAddObject(std::unique_ptr<CRhinoObject> object,
                                 const CRhinoObject* after = nullptr);
  CRhinoObject* StandinLookupObject(const ON_UUID& id) const;
  // The living object with this id, or null (CRhinoObject::FromId, which the
  // SDK calls the fast way when given the document's serial number: not a
  // scan of every object). The one found last for each id is kept, and taken
  // again while it still lives under that id.
  const CRhinoObject* StandinFindLiving(const ON_UUID& id) const;
  // The block instances naming this definition, in the order they were added.
  const std::vector<const CRhinoInstanceObject*>* StandinReferencesTo(
      const ON_UUID& definition) const;

  // Materials: every material of the document; those flagged appear in the RDK list.
  CRhRdkDocument& StandinRdk() { return m_rdk; }
  const CRhRdkDocument& StandinRdk() const { return m_rdk; }
  // The document material with this RDK instance id, or null.
  const CRhinoMaterial* StandinFindMaterial(const ON_UUID& id) const;

 private:
  struct UuidLess {
    bool operator()(const ON_UUID& a, const ON_UUID& b) const { return ON_UuidCompare(a, b) < 0; }
  };
  unsigned int m_serial_number;
  ON_wString m_path;
  ON_UnitSystem m_units{ON::LengthUnitSystem::Millimeters};
  CRhinoDocProperties m_properties;
  std::vector<std::unique_ptr<CRhinoObject>> m_objects;
  // The host keeps each definition's references at hand: a send asks for them
  // once per definition, and a scan of every object each time would grow with
  // definitions times objects.
  std::map<ON_UUID, std::vector<const CRhinoInstanceObject*>, UuidLess> m_references;
  // StandinFindLiving's last find for each id. The pointers stay valid: an
  // object, deleted or replaced, is never freed while its document lives.
  mutable std::mutex m_found_mutex;
  mutable std::map<ON_UUID, const CRhinoObject*, UuidLess> m_found;
  CRhRdkDocument m_rdk;
  // A worker thread may move the meter: the lock keeps each change and its
  // report to the host together, so the host hears them in order.
  std::mutex m_progress_mutex;
  bool m_progress_running = false;
  int m_progress_pos = 0;
};
