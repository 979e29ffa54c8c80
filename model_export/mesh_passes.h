// What the mesh conversion's passes share between their 128-bit vector code
// (mesh_buffers.cpp) and their 256-bit one (wide_vectors.cpp): how a triple
// is written, and the bounds within which the quad split decides quickly.
#pragma once

#include "opennurbs.h"

namespace model_export {

// How a pass over surely valid triples writes each (x, y, z).
enum class Triple {
  kExchangedScaled,  // positions in renderer axes: (y, x, z) scaled
  kScaled,           // positions in model axes: (x, y, z) scaled
  kExchanged,        // normals in renderer axes: (y, x, z)
  kNegated,          // normals in model axes: (-x, -y, -z)
};

constexpr bool Exchanges(Triple t) {
  return t == Triple::kExchangedScaled || t == Triple::kExchanged;
}
constexpr bool Scales(Triple t) { return t == Triple::kExchangedScaled || t == Triple::kScaled; }

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

}  // namespace model_export
