// Shares of a full send timed on their own, for the reading of the send's
// figures: the conversion of every sent mesh, the host's look-up of each block
// definition's references, and the bridge stand-in's own work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench/bench_document.h"
#include "bridge/bridge.h"
#include "model_export/mesh_buffers.h"

namespace bench {

// Every sent mesh converted on one thread, as a send converts them.
double ConversionSeconds(const CRhinoDoc& doc, const std::vector<SentMesh>& meshes,
                         model_export::MeshBuffers& buffers);

// GetReferences of every block definition, which a send calls once for each.
double ReferenceLookUpSeconds(const CRhinoDoc& doc);

// The bridge stand-in's own share: the same mesh buffers, elements and
// placements handed to it directly (the conversion untimed), into a model of
// its own that is destroyed afterwards. An object's mesh (renderer axes) is
// placed once; the `placements` left are shared evenly among the definitions'
// meshes (model axes).
double BridgeSeconds(const CRhinoDoc& doc, const std::vector<SentMesh>& meshes,
                     std::size_t placements, const bridge::Bridge& bridge,
                     model_export::MeshBuffers& buffers);

// The bytes the bridge beside the executable has copied so far, where it
// counts them (copy_bridge.cpp's OrvexBenchCopiedBytes); null for the bridge
// stand-in. A send into the copy bridge that copied fewer bytes than it hands
// over would make its figure meaningless.
using CopiedBytesFn = std::uint64_t (*)();
CopiedBytesFn BridgeCopiedBytes();

}  // namespace bench
