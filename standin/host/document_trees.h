// The trees a document holds, checked the same way by every reader: block
// definitions that place blocks.
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

}  // namespace host
