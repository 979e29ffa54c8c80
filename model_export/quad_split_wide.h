// The quad split eight quads at a time, on processors with 256-bit integer
// vectors (AVX2), chosen at run time: the common case of a mesh of quads, all
// of them valid and plainly split along their shorter diagonal. The rest of
// the split, and every processor without them, is the conversion's own
// (mesh_buffers.cpp), as is the choice between them.
#pragma once

#include <cstddef>

#include "opennurbs.h"

namespace model_export {

// The host's bound of a degenerate edge is at most ON_ZERO_TOLERANCE; past
// this squared length an edge or a diagonal is surely longer: twice the
// bound, squared.
inline constexpr double kSurelyLongSquared = 4.0 * ON_ZERO_TOLERANCE * ON_ZERO_TOLERANCE;

// Squared lengths are worked out in double precision from the same corners
// the host measures (floats widened, or the double-precision vertices). While
// none overflows, each is within a few units in the last place of the exact
// one, as the host's lengths are of theirs: diagonals whose squares are apart
// by more than kApart of the larger are ordered alike by both.
inline constexpr double kApart = 1e-12;

// Float squares are within four units in the last place (2^-24 each) of the
// exact ones while none overflows, so past these limits they decide as the
// host's double lengths would: squared edges and diagonals four times
// kSurelyLongSquared, squared diagonals apart by 1e-6 of the larger. A corner
// not a number, or so far out that a square overflows, makes a square
// infinite or not a number, which fails both tests.
inline constexpr float kFloatSurelyLongSquared = static_cast<float>(4.0 * kSurelyLongSquared);
inline constexpr float kFloatApart = 1e-6f;

// Whether this processor runs SplitEightQuads.
bool WideQuadSplitRuns();

// The triangles of the eight faces from `faces` on when every one is a quad
// the host splits along a diagonal, and the diagonal is plainly chosen: four
// different numbers below `vertexCount - 1` (each corner is read as four
// floats), every edge and both diagonals surely longer than the degenerate
// bound, and the diagonals ordered as the host orders them by float squares
// apart by kFloatApart, else by double squares apart by kApart, else, with the
// same magnitudes in the same places, equal (split along 0-2). Writes the
// eight first triangles (0, 1, 2) or (0, 1, 3) to `firsts` and the eight
// second ones (0, 2, 3) or (1, 2, 3) to `seconds`, 24 numbers each, and
// returns true; otherwise writes nothing and returns false. Call only where
// WideQuadSplitRuns.
bool SplitEightQuads(const ON_MeshFace* faces, const ON_3fPoint* vertices, unsigned vertexCount,
                     int* firsts, int* seconds);

// Copies `count` numbers to `to` around the cache, 32 bytes a store where `to`
// allows: half the stores of 16-byte ones. Call only where WideQuadSplitRuns;
// the caller fences the stores as for its own.
void StreamIndicesWide(int* to, const int* from, std::size_t count);

}  // namespace model_export
