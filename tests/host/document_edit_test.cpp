// The host's edits of the open document: what each command line changes, the
// document events it raises, in Rhino's order, and what Undo raises back.
#include <gtest/gtest.h>

#include "document_reader.h"
#include "host_session.h"
#include "platform/platform.h"
#include "sdk_values.h"

namespace {

const char* const kDocument = R"({"layers": [{"name": "Default"}, {"name": "Walls"}],
  "materials": [{"name": "Red", "diffuse": [200, 0, 0]},
                {"name": "Blue", "rdk": false, "diffuse": [0, 0, 200]}],
  "objects": [
    {"name": "box", "layer": "Walls",
     "mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}},
    {"name": "slab", "faces": [
      {"mesh": {"vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]}},
      {"mesh": {"vertices": [[0,0,1],[1,0,1],[0,1,1]], "faces": [[0,1,2]]}}]},
    {"name": "lamp", "instance": {"definition": "1d000001-0000-4000-8000-000000000001",
                                  "xform": [2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1]}}],
  "instance_definitions": [{"id": "1d000001-0000-4000-8000-000000000001", "name": "Lamp"}],
  "lights": [{"name": "Sun", "kind": "point"}]})";

std::string Text(const ON_wString& s) { return platform::WideToUtf8(host::WideOf(s)); }
std::string Name(const CRhinoObject& o) { return Text(o.Attributes().m_name); }
std::string Mode(const ON_3dmObjectAttributes& a) {
  const char* mode[] = {"normal", "hidden", "locked"};
  return mode[int(a.Mode())] +
         std::string(a.MaterialSource() == ON::material_from_object ? " by object" : "");
}
std::string Layer(const ON_Layer& l) {
  return std::string(l.IsVisible() ? "on" : "off") + (l.IsLocked() ? " locked" : "");
}
std::string Point(const ON_3dPoint& p) {
  return std::to_string(int(p.x)) + "," + std::to_string(int(p.y)) + "," + std::to_string(int(p.z));
}
std::string Material(const ON_Material& m) {
  const ON_Color c = m.m_diffuse;
  return Text(m.Name()) + " " + Point(ON_3dPoint(c.Red(), c.Green(), c.Blue()));
}

// Writes down each document event: an object by name, a table entry by index
// with what the event says it was before; the RDK's content events by name.
class Recorder : public CRhinoEventWatcher, public CRhRdkEventWatcher {
 public:
  std::string heard;  // the events, separated by commas
  void OnDocumentPropertiesChanged(CRhinoDoc& doc) override {
    Add("properties " + Text(doc.ModelUnits().UnitSystemName()));
  }
  void OnUnitsChangedWithScaling(CRhinoDoc&, double scale) override {
    Add("units scaled by " + std::to_string(scale).substr(0, 5));
  }
  void OnContentChanged(const CRhRdkContent& c, const CRhRdkContent& old,
                        RhRdkChangeContext cc) override {
    Add("changed " + Text(c.InstanceName()) + " was " +
        Material(static_cast<const CRhRdkMaterial&>(old).m_material) +
        (cc == RhRdkChangeContext::Undo ? " (undo)" : "") +
        (old.InstanceId() == c.InstanceId() ? " (same id)" : ""));
  }
  void OnContentRenaming(const CRhRdkContent& c) override {
    Add("renaming " + Text(c.InstanceName()));
  }
  void OnContentRenamed(const CRhRdkContent& c) override {
    Add("renamed " + Text(c.InstanceName()));
  }
  void OnContentAttached(const CRhRdkDocument&, const CRhRdkContent& c, AttachReason r) override {
    Add("attached " + Text(c.InstanceName()) + (r == AttachReason::Undo ? " (undo)" : ""));
  }
  void OnContentDetaching(const CRhRdkDocument&, const CRhRdkContent& c, DetachReason) override {
    Add("detaching " + Text(c.InstanceName()));
  }
  void OnContentDetached(const CRhRdkDocument&, const CRhRdkContent& c, DetachReason r) override {
    Add("detached " + Text(c.InstanceName()) + (r == DetachReason::Undo ? " (undo)" : ""));
  }
  void OnAddObject(CRhinoDoc&, CRhinoObject& o) override { Object("add", o, false); }
  void OnDeleteObject(CRhinoDoc&, CRhinoObject& o) override { Object("delete", o, true); }
  void OnUnDeleteObject(CRhinoDoc&, CRhinoObject& o) override { Object("undelete", o, false); }
  void OnReplaceObject(CRhinoDoc&, CRhinoObject& o, CRhinoObject& n) override {
    Object(&o == &n ? "replace" : "replace by another", o, false);
  }
  void OnModifyObjectAttributes(CRhinoDoc&, CRhinoObject& o,
                                const CRhinoObjectAttributes& old) override {
    Add("attributes " + Name(o) + " was " + Mode(old));
  }
  void LayerTableEvent(layer_event e, const CRhinoLayerTable& t, int i,
                       const ON_Layer* old) override {
    Table("layer", e, t.Document(), i, old ? Layer(*old) : "?");
  }
  void InstanceDefinitionTableEvent(idef_event e, const CRhinoInstanceDefinitionTable& t, int i,
                                    const ON_InstanceDefinition* old) override {
    Table("idef", e, t.Document(), i, old ? "?" : "-");
  }
  void MaterialTableEvent(material_event e, const CRhinoMaterialTable& t, int i,
                          const ON_Material* old) override {
    Table("material", e, t.Document(), i, old ? Material(*old) : "?");
  }

 private:
  void Add(const std::string& event) { heard += (heard.empty() ? "" : ", ") + event; }
  void Object(const char* what, const CRhinoObject& o, bool deleted) {
    Add(what + (" " + Name(o)) + (o.IsDeleted() == deleted ? "" : " (wrong state)"));
  }
  void Table(const char* table, int e, const CRhinoDoc& doc, int i, const std::string& old) {
    const char* const kEvents[] = {"added", "deleted", "undeleted", "modified"};
    const char* other = &doc == RhinoApp().ActiveDoc() ? "" : " (another document)";
    Add(std::string(table) + " " + kEvents[e] + " " + std::to_string(i) + " was " + old + other);
  }
};

// An object's mode, material and where its geometry is; the layer Walls; the
// definition Lamp; a material ("#0").
std::string Describe(const std::string& subject) {
  const CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc || subject.empty()) return "";
  if (subject == "Walls") return Layer(doc->m_layer_table[1]);
  if (subject == "Lamp") return doc->m_instance_definition_table[0]->IsDeleted() ? "gone" : "kept";
  if (subject[0] == '#') return Material(doc->m_material_table[subject[1] - '0']);
  // The living object of the name, else the last one (replaced objects stay,
  // deleted, before the one that replaced them).
  const CRhinoObject* found = nullptr;
  for (int i = 0; i < doc->StandinObjectCount(); ++i) {
    const CRhinoObject& o = *doc->StandinObjectAt(i);
    if (Name(o) == subject && (!found || found->IsDeleted())) found = &o;
  }
  if (found) {
    const CRhinoObject& o = *found;
    const std::string s = Mode(o.Attributes()) + (o.IsDeleted() ? " deleted " : " ") +
                          Text(o.ObjectMaterial().Name()) + " at ";
    if (auto* mesh = dynamic_cast<const CRhinoMeshObject*>(&o))
      return s + Point(mesh->m_mesh.m_V[0]);
    if (auto* lamp = dynamic_cast<const CRhinoInstanceObject*>(&o))
      return s + Point(lamp->m_xform * ON_3dPoint::Origin);
    std::vector<const ON_Mesh*> joined;
    o.StandinRenderMeshes(&joined);
    return s + Point(static_cast<const CRhinoBrepObject&>(o).Faces()[1].mesh.m_V[0]) + " " +
           Point(joined[0]->m_V[3]);
  }
  return "none";
}

// CRhinoObject::FromId, which keeps what it found, against a scan of the
// document: the living object of each id, none once all of them are deleted.
void ExpectFromIdFindsTheLiving(const std::string& line) {
  const CRhinoDoc* doc = RhinoApp().ActiveDoc();
  for (int i = 0; doc && i < doc->StandinObjectCount(); ++i) {
    const ON_UUID id = doc->StandinObjectAt(i)->Id();
    const CRhinoObject* living = nullptr;
    for (int j = 0; j < doc->StandinObjectCount(); ++j)
      if (doc->StandinObjectAt(j)->Id() == id && !doc->StandinObjectAt(j)->IsDeleted())
        living = doc->StandinObjectAt(j);
    EXPECT_EQ(CRhinoObject::FromId(doc->RuntimeSerialNumber(), id), living) << line;
  }
}

TEST(DocumentEditTest, EachEditAndItsUndoRaiseRhinosEventsInOrder) {
  const struct {
    std::string line;
    bool understood;
    std::string events, subject, state;
  } rows[] = {
      {"Hide box", true, "attributes box was normal", "box", "hidden  at 0,0,0"},
      {"-_undo", true, "attributes box was hidden", "box", "normal  at 0,0,0"},
      {"Lock Walls", true, "layer modified 1 was on", "Walls", "on locked"},
      {"Hide Walls", true, "layer modified 1 was on locked", "Walls", "off"},
      {"Undo", true, "layer modified 1 was off", "Walls", "on locked"},
      {"Move box 1 2 3", true, "replace by another box, delete box, add box", "box",
       "normal  at 1,2,3"},
      {"Move lamp 0 0 5", true, "replace by another lamp, delete lamp, add lamp", "lamp",
       "normal  at 0,0,5"},
      {"Move slab 4 0 0", true, "replace by another slab, delete slab, add slab", "slab",
       "normal  at 4,0,1 4,0,1"},
      {"Move Sun 1 1 1", false, "", "Sun", "none"},
      {"Move box 1 2", false, "", "box", "normal  at 1,2,3"},
      {"Material box Blue", true, "attributes box was normal", "box",
       "normal by object Blue at 1,2,3"},
      {"Material box Green", false, "", "box", "normal by object Blue at 1,2,3"},
      {"EditMaterial Red color 1 2 3", true, "changed Red was Red 200,0,0", "#0", "Red 1,2,3"},
      {"EditMaterial Red name Crimson", true, "renaming Red, renamed Crimson", "#0",
       "Crimson 1,2,3"},
      {"EditMaterial Blue color 300 0 0", false, "", "#1", "Blue 0,0,200"},
      {"EditMaterial Blue name Crimson", false, "", "#1", "Blue 0,0,200"},
      {"Undo", true, "renaming Crimson, renamed Red", "#0", "Red 1,2,3"},
      {"AddMaterial Green 0 255 0", true, "attached Green", "#2", "Green 0,255,0"},
      {"DeleteMaterial Green", true, "detaching Green, detached Green", "#2", " 126,126,126"},
      {"Undo", true, "attached Green (undo)", "#2", "Green 0,255,0"},
      {"Undo", true, "detaching Green, detached Green (undo)", "#2", " 126,126,126"},
      {"Units meters", true, "properties meters", "box", "normal by object Blue at 1,2,3"},
      {"Units millimeters scale", true, "units scaled by 1000., properties millimeters", "box",
       "normal by object Blue at 1000,2000,3000"},
      {"Undo", true, "units scaled by 0.001, properties meters", "box",
       "normal by object Blue at 1,2,3"},
      {"Undo", true, "properties millimeters", "box", "normal by object Blue at 1,2,3"},
      {"Delete box", true, "delete box", "box", "normal by object deleted Blue at 1,2,3"},
      {"Hide box", false, "", "box", "normal by object deleted Blue at 1,2,3"},
      {"Delete Lamp", true, "idef deleted 0 was -", "Lamp", "gone"},
      {"Undo", true, "idef undeleted 0 was -", "Lamp", "kept"},
      {"Undo", true, "undelete box", "box", "normal by object Blue at 1,2,3"},
      {"Undo", true, "changed Red was Red 1,2,3 (undo)", "#0", "Red 200,0,0"},
      {"Undo", true, "attributes box was normal by object", "box", "normal  at 1,2,3"},
      {"Undo", true, "replace by another slab, delete slab, undelete slab", "slab",
       "normal  at 0,0,1 0,0,1"},
      {"Undo", true, "replace by another lamp, delete lamp, undelete lamp", "lamp",
       "normal  at 0,0,0"},
      {"Undo", true, "replace by another box, delete box, undelete box", "box", "normal  at 0,0,0"},
      {"Undo", true, "layer modified 1 was on locked", "Walls", "on"},
      {"Undo", true, "", "Walls", "on"},  // nothing left
      {"Move box 1 2 3", true, "replace by another box, delete box, add box", "box",
       "normal  at 1,2,3"},
      {"Close", true, "", "", ""},
      {"Undo", true, "", "", ""},  // closing forgot the move
  };
  DocumentReadResult read = ReadDocumentText(kDocument, "edit.orvexdoc.json", L"/edit");
  ASSERT_TRUE(read.doc) << read.error;
  RhinoApp().StandinOpenDocument(std::move(read.doc));
  PluginModule plugin;
  Transcript transcript;
  HostSession session(plugin, transcript, "millimeters");
  Recorder recorder;
  recorder.Register();
  recorder.CRhinoEventWatcher::Enable();
  for (const auto& row : rows) {
    recorder.heard.clear();
    EXPECT_EQ(session.Run(row.line), row.understood) << row.line;
    EXPECT_EQ(recorder.heard, row.events) << row.line;
    EXPECT_EQ(Describe(row.subject), row.state) << row.line;
    ExpectFromIdFindsTheLiving(row.line);
  }
}

}  // namespace

TEST(DocumentEditTest, TextThatIsNoUuidNeverMatchesALightById) {
  // The nil id is the one a name that is no UUID could be taken for.
  DocumentReadResult read = ReadDocumentText(
      R"({"lights": [{"id": "00000000-0000-0000-0000-000000000000", "name": "Sun"}]})", "l", L"/l");
  RhinoApp().StandinOpenDocument(std::move(read.doc));
  PluginModule plugin;
  Transcript transcript;
  HostSession session(plugin, transcript, "millimeters");
  EXPECT_FALSE(session.Run("Hide Moon"));
  EXPECT_FALSE(RhinoApp().ActiveDoc()->m_light_table[0].IsHidden());
  EXPECT_TRUE(session.Run("Hide {00000000-0000-0000-0000-000000000000}"));
  EXPECT_TRUE(RhinoApp().ActiveDoc()->m_light_table[0].IsHidden());
}

TEST(DocumentEditTest, ALayerTurnedOffOrOnTakesItsSublayersAlongParentsFirst) {
  // Inner comes before its parent Walls; Roof, turned off of its own, stays off.
  DocumentReadResult read = ReadDocumentText(
      R"({"layers": [{"name": "House"}, {"name": "Inner", "parent": "Walls"},
                     {"name": "Walls", "parent": "House"}, {"name": "Roof", "parent": "House"}],
          "objects": [{"name": "panel", "layer": "Inner"}]})",
      "tree.orvexdoc.json", L"/tree");
  RhinoApp().StandinOpenDocument(std::move(read.doc));
  PluginModule plugin;
  Transcript transcript;
  HostSession session(plugin, transcript, "millimeters");
  Recorder recorder;
  recorder.Register();
  recorder.CRhinoEventWatcher::Enable();
  // House, then its sublayers in table order, each after its parent: Walls, Inner, Roof.
  auto events = [](std::string house, std::string walls, std::string inner, std::string roof) {
    return "layer modified 0 was " + house + ", layer modified 2 was " + walls +
           ", layer modified 1 was " + inner + ", layer modified 3 was " + roof;
  };
  const struct {
    std::string line, events;
    const char* layers;  // House, Inner, Walls, Roof
    bool panelShown;
  } rows[] = {{"Hide Roof", "layer modified 3 was on", "on on on off", true},
              {"Hide House", events("on", "on", "on", "off"), "off off off off", false},
              {"Show House::Walls::Inner", "layer modified 1 was off", "off on off off", false},
              {"Show House", events("off", "off", "on", "off"), "on on on off", true},
              {"Undo", events("on", "on", "on", "off"), "off on off off", false},
              {"Hide Walls::Inner", "", "off on off off", false}};  // not a full path
  for (const auto& row : rows) {
    recorder.heard.clear();
    EXPECT_EQ(session.Run(row.line), !row.events.empty()) << row.line;
    EXPECT_EQ(recorder.heard, row.events) << row.line;
    const CRhinoDoc& doc = *RhinoApp().ActiveDoc();
    std::string layers;
    for (int i = 0; i < 4; ++i) layers += (i ? " " : "") + Layer(doc.m_layer_table[i]);
    EXPECT_EQ(layers, row.layers) << row.line;
    EXPECT_EQ(doc.StandinObjectAt(0)->IsVisible(), row.panelShown) << row.line;
  }
}
