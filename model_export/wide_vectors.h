// The mesh conversion's 256-bit vector code (AVX2), on processors that have
// it, chosen at run time (WideVectorsRun): eight quads split at a time, eight
// triples and four texture coordinates written at a time, indices copied
// around the cache 32 bytes a store. Each function does one stretch of a pass
// whose edges and exceptions stay with the 128-bit code (mesh_buffers.cpp),
// which is the whole conversion on every other processor.
#pragma once

#include <cstddef>

#include "model_export/mesh_passes.h"
#include "opennurbs.h"

namespace model_export {

// Whether this processor runs the functions below. ORVEX_NARROW_VECTORS=1
// says no on any processor, so that both ways are tested on one machine.
bool WideVectorsRun();

// The triangles of the eight faces from `faces` on when every one is a quad
// the host splits along a diagonal, and the diagonal is plainly chosen: four
// different numbers below `vertexCount - 1` (each corner is read as four
// floats), every edge and both diagonals surely longer than the degenerate
// bound, and the diagonals ordered as the host orders them by float squares
// apart by kFloatApart, else by double squares apart by kApart, else, with the
// same magnitudes in the same places, equal (split along 0-2). Writes the
// eight first triangles (0, 1, 2) or (0, 1, 3) to `firsts` and the eight
// second ones (0, 2, 3) or (1, 2, 3) to `seconds`, 24 numbers each, and
// returns true; otherwise writes nothing and returns false.
bool SplitEightQuads(const ON_MeshFace* faces, const ON_3fPoint* vertices, unsigned vertexCount,
                     int* firsts, int* seconds);

// Copies `count` numbers to `to` around the cache, 32 bytes a store where `to`
// allows: half the stores of 16-byte ones. The caller fences the stores as
// for its own.
void StreamIndicesWide(int* to, const int* from, std::size_t count);

// Writes `count` triples (a multiple of eight) from `in` to `out` as `triple`
// says, around the cache with `stream` (`out` then at a 32-byte boundary).
// False when a coordinate does not lie below `bound` in magnitude, the
// output then of no use.
bool WriteTriplesWide(Triple triple, bool stream, const float* in, std::size_t count, double scale,
                      float bound, float* out);

// Writes `count` texture coordinates (a multiple of four) from `in` to `out`
// as (u, -v), around the cache with `stream` (`out` then at a 32-byte
// boundary).
void WriteUvsWide(bool stream, const float* in, std::size_t count, float* out);

}  // namespace model_export
