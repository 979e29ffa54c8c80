// The render mesh of a SubD, which the application makes when it is asked for
// one rather than keeping it in the file.
#pragma once

#include "opennurbs.h"

// The SubD's limit surface as quads: its control net subdivided
// kSubDRenderMeshLevel times (each face of the net becomes 8 x 8 quads), each
// vertex moved to its limit point with the limit surface's normal. False, and
// `mesh` empty, when the SubD cannot be subdivided.
constexpr unsigned int kSubDRenderMeshLevel = 3;
bool SubDRenderMesh(const ON_SubD& subd, ON_Mesh* mesh);
