// Whole sends in process: the exporter loads the real bridge stand-in from the
// test executable's folder, the bridge's call log is read back, and message
// boxes and console lines are recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "RhinoSdk.h"
#include "bridge/bridge.h"
#include "model_export/model_exporter.h"
#include "tests/support/recording_host.h"

namespace model_export_test {

// A bridge taken up as the link takes it up for its model exporter.
struct TakenUpBridge {
  TakenUpBridge() { bridge.TakeUp(); }
  bridge::Bridge bridge;
};

// The model exporter with a bridge of its own.
class ModelExporter : private TakenUpBridge, public model_export::ModelExporter {
 public:
  ModelExporter() : model_export::ModelExporter(TakenUpBridge::bridge) {}
};

using Json = nlohmann::json;

using test_support::ShownBox;

// A test of whole sends: each test reads only the log lines and records of
// its own.
class SendTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // The bridge calls logged since the test started, optionally of one export.
  std::vector<Json> Calls() const;
  std::vector<Json> Calls(const std::string& fn) const;
  // The raw log text since the test started.
  std::string LogText() const;
  // The export names of the calls since the test started, in order.
  std::vector<std::string> CallNames() const;

  std::vector<ShownBox> Boxes() const;
  std::vector<std::string> Prints() const;

 private:
  std::size_t logStart_ = 0;
  std::size_t boxStart_ = 0;
  std::size_t printStart_ = 0;
};

// The floats of a logged array; "nan" and the infinities come back as such.
std::vector<float> Floats(const Json& array);
std::vector<int> Ints(const Json& array);

// The identity placement, as logged.
std::vector<float> IdentityFloats();

// A document with a path and the given model units.
void SetUnits(CRhinoDoc& doc, ON::LengthUnitSystem units);

// A layer whose material is `material` (nil: none), appended to the table;
// returns its index.
int AddLayer(CRhinoDoc& doc, const ON_UUID& material);

// A polysurface with one render mesh per face; a face material of nil means
// the face wears the object's material.
struct TestFace {
  ON_Mesh mesh;
  ON_UUID material = ON_nil_uuid;
};
CRhinoBrepObject& AddBrep(CRhinoDoc& doc, const ON_UUID& id, std::vector<TestFace> faces,
                          const ON_UUID& material = ON_nil_uuid);

// A block definition with the given objects (their document set for their
// materials), appended to the document's table.
CRhinoInstanceDefinition& AddDefinition(CRhinoDoc& doc, const ON_UUID& id,
                                        std::vector<std::unique_ptr<CRhinoObject>> objects);
std::unique_ptr<CRhinoObject> MeshObjectFor(CRhinoDoc& doc, ON_Mesh mesh,
                                            const ON_UUID& material = ON_nil_uuid);
// A reference to the definition, placed by `xform`.
CRhinoInstanceObject& AddReference(CRhinoDoc& doc, const ON_UUID& definition,
                                   const ON_Xform& xform);

}  // namespace model_export_test

namespace model_export_test {

// The calls between one BeginElement and its EndElement.
struct SentElement {
  std::string id;
  BridgeModel model = 0;
  std::vector<Json> calls;
};

// The elements of a call sequence, in order; calls outside any element are
// left out.
std::vector<SentElement> Elements(const std::vector<Json>& calls);

// The element with this id; fails the test when there is not exactly one.
SentElement ElementWithId(const std::vector<Json>& calls, const std::string& id);

}  // namespace model_export_test
