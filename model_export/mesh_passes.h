// What the mesh conversion's passes share between their 128-bit vector code
// (mesh_buffers.cpp) and their 256-bit one (wide_vectors.cpp): how a triple
// is written, the bounds within which the quad split decides quickly, and how
// a pass reads ahead.
#pragma once

#include <algorithm>
#include <cstddef>

#include "opennurbs.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

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

// Asks for the cache line that holds `at`, without waiting for it.
inline void Prefetch(const void* at) {
#if defined(__SSE2__) || defined(_M_X64)
  _mm_prefetch(static_cast<const char*>(at), _MM_HINT_T0);
#elif defined(__GNUC__)
  __builtin_prefetch(at);
#else
  (void)at;
#endif
}

// The processor's own prefetchers start over at each 4 KiB page and at each
// array, and a document's arrays are mostly a few pages long: a pass over
// them waited on memory at every page, and converted a document of small
// meshes at half the speed the memory allows. Each pass over a document's
// array asks for what lies this far ahead of what it reads: a page, which
// covers the memory's latency at the speed a pass reads.
inline constexpr std::size_t kReadAhead = 4096;

// Asks for the line kReadAhead bytes past `at`, or for the last byte the pass
// reads (`end` - 1) when that is nearer; `at` lies before `end`. Not in the
// passes that write around the cache (kStream): those are a large mesh's,
// whose long arrays the processor's prefetchers follow well, and asking as
// well made them slower (6 % on a 1-million-vertex mesh).
template <bool kStream>
inline void ReadAhead(const void* at, const void* end) {
  if constexpr (!kStream) {
    const char* const from = static_cast<const char*>(at);
    const std::size_t left = static_cast<std::size_t>(static_cast<const char*>(end) - from);
    Prefetch(from + std::min(kReadAhead, left - 1));
  } else {
    (void)at;
    (void)end;
  }
}

}  // namespace model_export
