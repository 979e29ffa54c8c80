// The trees a document holds, checked the same way by every reader: block
// definitions that place blocks, and layers inside layers.
#pragma once

#include <string>
#include <vector>

#include "RhinoSdk.h"

namespace host {

// A block definition with the definition id of each block reference it holds,
// where the reader keeps it, so that a reference cut off is cleared in place.
struct BlockNode {
  ON_UUID id = ON_nil_uuid;
  std::vector<ON_UUID*> placed;
};

// Cuts each reference that would place a block inside itself: walking down
// from each definition in turn, the first reference on the way to a definition
// already on that way names no definition from then on, as a reference to a
// definition that is gone does. Gives how many were cut.
size_t CutSelfReferences(const std::vector<BlockNode>& definitions);

// "1 block reference places a block inside itself and is left out"; empty
// when none was.
std::string SelfReferenceNotice(size_t cut);

// A layer as a reader has it: its id, its name and its parent's id (nil at the
// top level).
struct LayerNode {
  ON_UUID id = ON_nil_uuid;
  ON_wString name;
  ON_UUID parent = ON_nil_uuid;
};

struct LayerTreeCheck {
  // The layers whose parent id names no layer, in order: the reader puts them
  // at the top level.
  std::vector<size_t> orphans;
  // The first layer, in order, whose parents lead back to it, and its full
  // path round the circle ("A::B::C::A"); none: circle < 0.
  long circle = -1;
  std::wstring circlePath;
};

LayerTreeCheck CheckLayerTree(const std::vector<LayerNode>& layers);

// "1 layer names a parent layer that is not in the file and is kept at the top
// level: Walls"; empty when none does. At the top level, a layer's full path is
// its name.
std::string OrphanLayerNotice(const std::vector<LayerNode>& layers,
                              const std::vector<size_t>& orphans);

// The layer's name after the names of the layers it is in, from the top down,
// as Rhino shows a full path: "House::Walls::Inner".
std::wstring LayerFullPath(const CRhinoLayerTable& table, int index);

// The layer a person names by its full path (with "::") or by its name (the
// first with it), or -1.
int FindLayerByPathOrName(const CRhinoLayerTable& table, const ON_wString& text);

}  // namespace host
