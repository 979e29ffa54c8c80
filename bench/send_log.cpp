// Writes the bridge call log of full sends and model updates of generated
// documents, arrays in full, so that two builds of the exporter can be
// compared call for call: scripts/bench.sh --check-log runs it and compares
// the log with the one a reference build wrote.
//
//   orvex_send_log LOG_FILE
#include <stdlib.h>

#include <cstdio>
#include <memory>

#include "RhinoSdk.h"
#include "bench/bench_document.h"
#include "bench/bench_exporter.h"
#include "standin_host.h"

namespace {

int g_boxes = 0;

// A full send, then an update after hiding one object, deleting another and
// showing a hidden one again.
void SendAndUpdate(bench::Exporter& exporter, CRhinoDoc& doc) {
  exporter.SendFullModel(&doc);
  const int count = doc.StandinObjectCount();
  for (int i = 0; i < count; ++i) {
    CRhinoObject* object = doc.StandinObjectAt(i);
    if (object->ObjectType() == ON::instance_reference) continue;
    if (i == 0) object->StandinAttributes().SetMode(ON::hidden_object);
    if (i == 1) object->StandinSetDeleted(true);
    if (object->IsHidden() && i != 0) object->StandinAttributes().SetMode(ON::normal_object);
  }
  exporter.UpdateModel(&doc);
  exporter.DestroyModel();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LOG_FILE\n", argv[0]);
    return 2;
  }
  // The bridge reads these once, when the first exporter loads it.
  setenv("ORVEX_BRIDGE_LOG", argv[1], 1);
  unsetenv("ORVEX_BRIDGE_LOG_ARRAYS");
  unsetenv("ORVEX_BRIDGE_OUT");
  rhino_standin::HostHooks hooks;
  hooks.print = [](const std::string& text) { std::fputs(text.c_str(), stdout); };
  hooks.messageBox = [](const std::wstring&, const std::wstring&, unsigned) {
    ++g_boxes;
    return 1;
  };
  rhino_standin::SetHostHooks(std::move(hooks));

  bench::Exporter exporter;
  for (ON::LengthUnitSystem units :
       {ON::LengthUnitSystem::Meters, ON::LengthUnitSystem::Millimeters,
        ON::LengthUnitSystem::Unset}) {  // unset: the scale that is not a number
    std::unique_ptr<CRhinoDoc> doc = bench::BuildVarietyDocument(units);
    SendAndUpdate(exporter, *doc);
  }
  bench::LargeDocumentShape shape;
  shape.objects = 40;
  shape.trianglesPerObject = 200;
  shape.definitions = 6;
  shape.referencesPerDefinition = 5;
  shape.materials = 12;
  bench::LargeDocument large = bench::BuildLargeDocument(shape);
  SendAndUpdate(exporter, *large.doc);
  // Without a document: the materials element and the transfer only.
  exporter.SendFullModel(nullptr);
  exporter.DestroyModel();
  if (g_boxes != 0) {
    std::fprintf(stderr, "%d message boxes were shown\n", g_boxes);
    return 1;
  }
  return 0;
}
