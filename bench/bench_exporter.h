// The model exporter as the benchmarks drive it: with a bridge of its own,
// taken up as the link takes it up for its exporter, and the model update as
// the link runs it.
#pragma once

#include "bridge/bridge.h"
#include "model_export/model_exporter.h"
#include "renderer_link/model_update.h"

namespace bench {

struct TakenUpBridge {
  TakenUpBridge() { bridge.TakeUp(); }
  bridge::Bridge bridge;
};

class Exporter : private TakenUpBridge, public model_export::ModelExporter {
 public:
  Exporter() : model_export::ModelExporter(TakenUpBridge::bridge) {}
  const bridge::Bridge& Bridge() const { return TakenUpBridge::bridge; }
  // The send-model command's update: connect, then everything again.
  bool UpdateModel(const CRhinoDoc* doc) {
    return renderer_link::UpdateModel(TakenUpBridge::bridge, *this, doc);
  }
};

}  // namespace bench
