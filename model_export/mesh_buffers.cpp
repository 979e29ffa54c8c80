#include "model_export/mesh_buffers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "model_export/mesh_passes.h"
#include "model_export/parallel_parts.h"
#include "model_export/wide_vectors.h"

#if defined(__SSE2__) || defined(_M_X64)
#define ORVEX_MESH_SSE2 1
#include <emmintrin.h>
#else
#define ORVEX_MESH_SSE2 0
#endif

static_assert(sizeof(ON_3fPoint) == 3 * sizeof(float) && sizeof(ON_3fVector) == 3 * sizeof(float),
              "vertices and normals are read as packed floats");

namespace model_export {
namespace {

using common::MeshAxes;

// The number of elements of an SDK array, as a size.
template <class T>
inline std::size_t Size(const ON_SimpleArray<T>& array) {
  return static_cast<std::size_t>(array.Count());
}

// A face is a triangle when its third vertex number is repeated as its fourth,
// as the host decides it; tested here, since the host's own test is a call into
// its library for every face.
inline bool IsTriangle(const ON_MeshFace& face) { return face.vi[2] == face.vi[3]; }

// The faces a 64-byte cache line holds: the passes over faces one at a time
// ask for a line ahead once for each (asking at every face cost about 2 % of
// the conversion of a document of small meshes).
constexpr std::size_t kFacesALine = 64 / sizeof(ON_MeshFace);

// A coordinate after the uniform scale, in double precision as the host's
// scaling does.
inline float Scaled(float coordinate, double scale) {
  return static_cast<float>(static_cast<double>(coordinate) * scale);
}

// A buffer larger than this is written around the cache, as a plain copy of
// that size is: it cannot stay in a core's own cache until the bridge reads
// it, and writing around the cache saves reading it in first.
constexpr std::size_t kStreamingBytes = std::size_t{4} << 20;

inline bool Streams(std::size_t bytes) { return ORVEX_MESH_SSE2 && bytes > kStreamingBytes; }

// Makes the buffers written around the cache visible to every later reader.
inline void EndStreaming() {
#if ORVEX_MESH_SSE2
  _mm_sfence();
#endif
}

// The room past the last triangle that writing the triangles may use.
constexpr std::size_t kIndexSlack = 1;

static_assert(sizeof(ON_MeshFace) == 4 * sizeof(int), "a face is read as four numbers");

template <bool kStream>
inline void StoreIndex(int* at, int value) {
#if ORVEX_MESH_SSE2
  if constexpr (kStream) {
    _mm_stream_si32(at, value);
    return;
  }
#endif
  *at = value;
}

#if ORVEX_MESH_SSE2
// Stores four floats, at a 16-byte boundary and around the cache when
// streaming.
template <bool kStream>
inline void StoreFour(float* at, __m128 v) {
  if constexpr (kStream)
    _mm_stream_ps(at, v);
  else
    _mm_storeu_ps(at, v);
}
#endif

// The triangles among `count` faces, one face at a time, each number stored
// on its own; see WriteTrianglesTo.
template <bool kStream>
std::size_t WriteTrianglesSingly(const ON_MeshFace* faces, std::size_t count, unsigned limit,
                                 bool stopAtQuad, int*& out) {
  std::size_t i = 0;
  for (; i < count; ++i) {
    const ON_MeshFace& face = faces[i];
    if (i % kFacesALine == 0) ReadAhead<kStream>(&face, faces + count);
    if (!IsTriangle(face)) {
      if (stopAtQuad) break;
      continue;
    }
    const int a = face.vi[0], b = face.vi[1], c = face.vi[2];
    StoreIndex<kStream>(out, a);
    StoreIndex<kStream>(out + 1, b);
    StoreIndex<kStream>(out + 2, c);
    // A negative number, read unsigned, lies past every vertex list.
    const bool inside = (static_cast<unsigned>(a) < limit) & (static_cast<unsigned>(b) < limit) &
                        (static_cast<unsigned>(c) < limit);
    out += inside ? 3 : 0;
  }
  return i;
}

#if ORVEX_MESH_SSE2
// The triangles among `count` faces, one 16-byte store each: the room written
// to holds one number more than the triangles need (kIndexSlack).
std::size_t WriteTrianglesUnaligned(const ON_MeshFace* faces, std::size_t count, unsigned limit,
                                    bool stopAtQuad, int*& out) {
  const __m128i none = _mm_set1_epi32(-1);
  const __m128i past = _mm_set1_epi32(static_cast<int>(limit));
  std::size_t i = 0;
  for (; i < count; ++i) {
    const ON_MeshFace& face = faces[i];
    if (i % kFacesALine == 0) ReadAhead<false>(&face, faces + count);
    if (!IsTriangle(face)) {
      if (stopAtQuad) break;
      continue;
    }
    const __m128i numbers = _mm_loadu_si128(reinterpret_cast<const __m128i*>(face.vi));
    const __m128i inside =
        _mm_and_si128(_mm_cmpgt_epi32(numbers, none), _mm_cmplt_epi32(numbers, past));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), numbers);
    out += (_mm_movemask_ps(_mm_castsi128_ps(inside)) & 7) == 7 ? 3 : 0;
  }
  return i;
}

// Stores the first three numbers of each of four registers, in turn, as three
// 16-byte stores: a0 a1 a2 b0 | b1 b2 c0 c1 | c2 d0 d1 d2. With kStream, `out`
// lies at a 16-byte boundary and is written around the cache.
template <bool kStream>
inline void StoreFourTriangles(int* out, __m128i f0, __m128i f1, __m128i f2, __m128i f3) {
  const __m128 a = _mm_castsi128_ps(f0), b = _mm_castsi128_ps(f1);
  const __m128 c = _mm_castsi128_ps(f2), d = _mm_castsi128_ps(f3);
  const __m128 a2b0 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 2, 2));
  const __m128 c2d0 = _mm_shuffle_ps(c, d, _MM_SHUFFLE(0, 0, 2, 2));
  float* const to = reinterpret_cast<float*>(out);
  StoreFour<kStream>(to, _mm_shuffle_ps(a, a2b0, _MM_SHUFFLE(2, 0, 1, 0)));
  StoreFour<kStream>(to + 4, _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 0, 2, 1)));
  StoreFour<kStream>(to + 8, _mm_shuffle_ps(c2d0, d, _MM_SHUFFLE(2, 1, 2, 0)));
}

// Every lane set when a face is a triangle whose numbers all lie inside the
// vertex list (a triangle repeats its third number in the fourth place).
inline __m128i SendableTriangle(__m128i face, __m128i none, __m128i past) {
  const __m128i triangle = _mm_cmpeq_epi32(face, _mm_shuffle_epi32(face, _MM_SHUFFLE(2, 3, 1, 0)));
  const __m128i inside = _mm_and_si128(_mm_cmpgt_epi32(face, none), _mm_cmplt_epi32(face, past));
  return _mm_and_si128(triangle, inside);
}

// The triangles among `count` faces, written around the cache: four sendable
// triangles in a row as three whole 16-byte stores, the others one by one.
// Writing around the cache is held up by the number of stores more than by
// the bytes, and a store of each number on its own takes four times as many.
std::size_t WriteTrianglesPacked(const ON_MeshFace* faces, std::size_t count, unsigned limit,
                                 bool stopAtQuad, int*& out) {
  const __m128i none = _mm_set1_epi32(-1);
  const __m128i past = _mm_set1_epi32(static_cast<int>(limit));
  std::size_t i = 0;
  while (i + 4 <= count) {
    // One triangle moves the output by 12 bytes: at most three bring it to a
    // 16-byte boundary.
    const std::size_t take = (reinterpret_cast<std::uintptr_t>(out) & 15) != 0 ? 1 : 4;
    if (take == 4) {
      const auto* at = reinterpret_cast<const __m128i*>(faces + i);
      const __m128i f0 = _mm_loadu_si128(at), f1 = _mm_loadu_si128(at + 1);
      const __m128i f2 = _mm_loadu_si128(at + 2), f3 = _mm_loadu_si128(at + 3);
      const __m128i all = _mm_and_si128(
          _mm_and_si128(SendableTriangle(f0, none, past), SendableTriangle(f1, none, past)),
          _mm_and_si128(SendableTriangle(f2, none, past), SendableTriangle(f3, none, past)));
      if (_mm_movemask_epi8(all) == 0xFFFF) {
        StoreFourTriangles<true>(out, f0, f1, f2, f3);
        out += 12;
        i += 4;
        continue;
      }
    }
    const std::size_t walked = WriteTrianglesSingly<true>(faces + i, take, limit, stopAtQuad, out);
    i += walked;
    if (walked < take) return i;
  }
  return i + WriteTrianglesSingly<true>(faces + i, count - i, limit, stopAtQuad, out);
}
#endif

// Writes the triangles among `count` faces from `out` on, advancing it; see
// WriteTriangles. Without kStream the room written to may hold one number
// more than the triangles need (kIndexSlack).
template <bool kStream>
std::size_t WriteTrianglesTo(const ON_MeshFace* faces, std::size_t count, unsigned limit,
                             bool stopAtQuad, int*& out) {
#if ORVEX_MESH_SSE2
  if constexpr (kStream)
    return WriteTrianglesPacked(faces, count, limit, stopAtQuad, out);
  else
    return WriteTrianglesUnaligned(faces, count, limit, stopAtQuad, out);
#else
  return WriteTrianglesSingly<kStream>(faces, count, limit, stopAtQuad, out);
#endif
}

// Writes the vertex numbers of the triangles among `count` faces whose three
// numbers lie inside the vertex list, in stored order and winding. With
// stopAtQuad the walk ends at the first quad; otherwise quads are passed
// over. Returns the number of faces walked.
std::size_t WriteTriangles(const ON_MeshFace* faces, std::size_t count, int vertexCount,
                           bool stopAtQuad, IndexBuffer& indices) {
  indices.clear();
  indices.resize(3 * count + kIndexSlack);
  int* out = indices.data();
  const unsigned limit = static_cast<unsigned>(vertexCount);
  std::size_t walked = 0;
  if (Streams(3 * count * sizeof(int))) {
    walked = WriteTrianglesTo<true>(faces, count, limit, stopAtQuad, out);
    EndStreaming();
  } else {
    walked = WriteTrianglesTo<false>(faces, count, limit, stopAtQuad, out);
  }
  indices.resize(static_cast<std::size_t>(out - indices.data()));
  return walked;
}

// Below this magnitude a coordinate is valid under any validity test of the
// host: the tests reject only the unset values (near the float maximum) and
// non-finite numbers. The passes that assume valid coordinates check against
// it in a way that compiles to vector instructions, and hand a mesh with any
// coordinate outside it to the host's own test.
constexpr float kSurelyValid = 1e37f;

// Below this magnitude a coordinate is surely valid and stays so once scaled
// by `scale`. (An unset scale, NaN, is not judged: it flows into every
// coordinate.)
inline float SurelyValidBelow(double scale) {
  return scale > 1.0 && std::isfinite(scale) ? static_cast<float>(kSurelyValid / scale)
                                             : kSurelyValid;
}

inline bool SurelyValid(float x, float y, float z, float limit) {
  return (std::fabs(x) < limit) & (std::fabs(y) < limit) & (std::fabs(z) < limit);
}

// Whether a vertex is sent as it stands. It must be valid on the mesh's own
// coordinates, since scaling could turn an unset value into a plausible one,
// and, for a finite scale, still valid once scaled, since scaling can take a
// large coordinate out of the float range. An unset scale (NaN) flows into
// every coordinate instead.
inline bool Sendable(const ON_3fPoint& p, double scale) {
  if (!p.IsValid()) return false;
  if (!std::isfinite(scale)) return true;
  return ON_IsValidFloat(Scaled(p.x, scale)) && ON_IsValidFloat(Scaled(p.y, scale)) &&
         ON_IsValidFloat(Scaled(p.z, scale));
}

template <Triple kTriple>
inline void WriteTriple(float x, float y, float z, double scale, float* out) {
  if constexpr (kTriple == Triple::kNegated) {
    out[0] = -x;
    out[1] = -y;
    out[2] = -z;
  } else {
    const float sx = Scales(kTriple) ? Scaled(x, scale) : x;
    const float sy = Scales(kTriple) ? Scaled(y, scale) : y;
    const float sz = Scales(kTriple) ? Scaled(z, scale) : z;
    if constexpr (Exchanges(kTriple)) {
      common::StoreInRendererAxes(sx, sy, sz, out);
    } else {
      out[0] = sx;
      out[1] = sy;
      out[2] = sz;
    }
  }
}

#if ORVEX_MESH_SSE2
// Four triples held in three registers: (x0 y0 z0 x1) (y1 z1 x2 y2) (z2 x3 y3 z3).
// Exchanges x and y in each triple: StoreInRendererAxes, four at once.
inline void ExchangeFour(__m128& a, __m128& b, __m128& c) {
  const __m128 z0x1y1z1 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(1, 0, 3, 2));
  const __m128 x1x1z1z1 = _mm_shuffle_ps(a, b, _MM_SHUFFLE(1, 1, 3, 3));
  const __m128 y0x0z0y1 = _mm_shuffle_ps(a, z0x1y1z1, _MM_SHUFFLE(2, 0, 0, 1));
  const __m128 x1z1y2x2 = _mm_shuffle_ps(x1x1z1z1, b, _MM_SHUFFLE(2, 3, 2, 0));
  c = _mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 1, 2, 0));
  a = y0x0z0y1;
  b = x1z1y2x2;
}

// Each float widened, multiplied by the scale in double precision and
// narrowed: the same operations, with the same rounding, as Scaled.
inline __m128 ScaleFour(__m128 v, __m128d scale) {
  const __m128d low = _mm_mul_pd(_mm_cvtps_pd(v), scale);
  const __m128d high = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(v, v)), scale);
  return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}
#endif

// Writes `count` triples read from `in` as kTriple says, for triples whose
// coordinates all lie below `bound` in magnitude. False (with the output of
// no use) when one does not. kStream: `out` lies at a 16-byte boundary and is
// written around the cache.
template <Triple kTriple, bool kStream>
bool WriteSurelyValidTriplesNarrow(const float* in, std::size_t count, double scale, float bound,
                                   float* out) {
  std::size_t i = 0;
  bool surely = true;
#if ORVEX_MESH_SSE2
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  const __m128 limit = _mm_set1_ps(bound);
  const __m128 sign = _mm_set1_ps(-0.0f);
  const __m128d wide = _mm_set1_pd(scale);
  __m128 doubtful = _mm_setzero_ps();
  const float* const end = in + 3 * count;
  for (; i + 4 <= count; i += 4, in += 12, out += 12) {
    ReadAhead<kStream>(in, end);
    __m128 a = _mm_loadu_ps(in), b = _mm_loadu_ps(in + 4), c = _mm_loadu_ps(in + 8);
    // Not below the limit, or not a number at all.
    doubtful = _mm_or_ps(doubtful, _mm_cmpnlt_ps(_mm_and_ps(a, magnitude), limit));
    doubtful = _mm_or_ps(doubtful, _mm_cmpnlt_ps(_mm_and_ps(b, magnitude), limit));
    doubtful = _mm_or_ps(doubtful, _mm_cmpnlt_ps(_mm_and_ps(c, magnitude), limit));
    if constexpr (kTriple == Triple::kNegated) {
      a = _mm_xor_ps(a, sign);
      b = _mm_xor_ps(b, sign);
      c = _mm_xor_ps(c, sign);
    } else {
      if constexpr (Exchanges(kTriple)) ExchangeFour(a, b, c);
      if constexpr (Scales(kTriple)) {
        a = ScaleFour(a, wide);
        b = ScaleFour(b, wide);
        c = ScaleFour(c, wide);
      }
    }
    StoreFour<kStream>(out, a);
    StoreFour<kStream>(out + 4, b);
    StoreFour<kStream>(out + 8, c);
  }
  surely = _mm_movemask_ps(doubtful) == 0;
  (void)sign;
  (void)wide;
#endif
  for (; i < count; ++i, in += 3, out += 3) {
    surely &= SurelyValid(in[0], in[1], in[2], bound);
    WriteTriple<kTriple>(in[0], in[1], in[2], scale, out);
  }
  return surely;
}

// The stretch of a vertex pass's entries handed to the 256-bit code: `head`
// entries first on the 128-bit path, so that the stretch starts at a 32-byte
// boundary of `out` (which lies at a 16-byte one when streaming), then `body`
// entries, a multiple of `step`; the rest goes back to the 128-bit path. No
// stretch for a short pass, or on a processor without the wider vectors.
struct WideStretch {
  std::size_t head = 0;
  std::size_t body = 0;
};

WideStretch WideStretchOf(const float* out, std::size_t count, std::size_t entryFloats,
                          std::size_t step) {
  if (count < 4 * step || !WideVectorsRun()) return {};
  const bool off = (reinterpret_cast<std::uintptr_t>(out) & 31) != 0;
  // 16 bytes on: four triples (48 bytes), or two pairs (16).
  const std::size_t head = off ? (entryFloats == 3 ? 4 : 2) : 0;
  return {head, (count - head) / step * step};
}

// WriteSurelyValidTriplesNarrow, eight triples at a time where it can.
template <Triple kTriple, bool kStream>
bool WriteSurelyValidTriples(const float* in, std::size_t count, double scale, float bound,
                             float* out) {
  const WideStretch wide = WideStretchOf(out, count, 3, 8);
  if (wide.body == 0)
    return WriteSurelyValidTriplesNarrow<kTriple, kStream>(in, count, scale, bound, out);
  const std::size_t tail = wide.head + wide.body;
  bool surely = WriteSurelyValidTriplesNarrow<kTriple, kStream>(in, wide.head, scale, bound, out);
  surely &= WriteTriplesWide(kTriple, kStream, in + 3 * wide.head, wide.body, scale, bound,
                             out + 3 * wide.head);
  surely &= WriteSurelyValidTriplesNarrow<kTriple, kStream>(in + 3 * tail, count - tail, scale,
                                                            bound, out + 3 * tail);
  return surely;
}

// Positions in the order of the axis mode, scaled; a vertex that is not
// Sendable gets the scaled origin. Returns the number of those.
template <MeshAxes kAxes, bool kStream>
std::size_t WritePositions(const ON_3fPoint* vertices, std::size_t count, double scale,
                           float* out) {
  constexpr Triple kTriple =
      kAxes == MeshAxes::kRenderer ? Triple::kExchangedScaled : Triple::kScaled;
  if (count == 0) return 0;
  if (WriteSurelyValidTriples<kTriple, kStream>(&vertices->x, count, scale, SurelyValidBelow(scale),
                                                out))
    return 0;
  const float origin = Scaled(0.0f, scale);
  std::size_t invalid = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const ON_3fPoint& p = vertices[i];
    if (Sendable(p, scale)) {
      WriteTriple<kTriple>(p.x, p.y, p.z, scale, out + 3 * i);
    } else {
      ++invalid;
      out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = origin;
    }
  }
  return invalid;
}

// Normals in the order of the axis mode; a missing one, or one that fails the
// host's validity test, is (0, 0, 1).
template <MeshAxes kAxes, bool kStream>
void WriteNormals(const ON_3fVector* normals, std::size_t given, std::size_t count, float* out) {
  constexpr Triple kTriple = kAxes == MeshAxes::kRenderer ? Triple::kExchanged : Triple::kNegated;
  const std::size_t present = std::min(given, count);
  if (present > 0 &&
      !WriteSurelyValidTriples<kTriple, kStream>(&normals->x, present, 1.0, kSurelyValid, out)) {
    for (std::size_t i = 0; i < present; ++i) {
      const ON_3fVector& n = normals[i];
      if (n.IsValid()) {
        WriteTriple<kTriple>(n.x, n.y, n.z, 1.0, out + 3 * i);
      } else {
        out[3 * i] = 0.0f;
        out[3 * i + 1] = 0.0f;
        out[3 * i + 2] = 1.0f;
      }
    }
  }
  for (std::size_t i = present; i < count; ++i) {
    out[3 * i] = 0.0f;
    out[3 * i + 1] = 0.0f;
    out[3 * i + 2] = 1.0f;
  }
}

// Writes `count` texture coordinates from `uvs` as (u, -v). kStream: `out`
// lies at a 16-byte boundary and is written around the cache.
template <bool kStream>
void WriteUvsNarrow(const ON_2fPoint* uvs, std::size_t count, float* out) {
  std::size_t i = 0;
#if ORVEX_MESH_SSE2
  const __m128 flipV = _mm_castsi128_ps(_mm_set_epi32(INT32_MIN, 0, INT32_MIN, 0));
  for (; i + 2 <= count; i += 2) {
    ReadAhead<kStream>(&uvs[i], uvs + count);
    StoreFour<kStream>(out + 2 * i, _mm_xor_ps(_mm_loadu_ps(&uvs[i].x), flipV));
  }
#endif
  for (; i < count; ++i) {
    out[2 * i] = uvs[i].x;
    out[2 * i + 1] = -uvs[i].y;
  }
}

// Texture coordinates (u, -v), four at a time where it can; a missing one is
// (0, 0).
template <bool kStream>
void WriteUvs(const ON_2fPoint* uvs, std::size_t given, std::size_t count, float* out) {
  const std::size_t present = std::min(given, count);
  const WideStretch wide = WideStretchOf(out, present, 2, 4);
  const std::size_t tail = wide.head + wide.body;
  WriteUvsNarrow<kStream>(uvs, wide.head, out);
  if (wide.body > 0) WriteUvsWide(kStream, &uvs[wide.head].x, wide.body, out + 2 * wide.head);
  WriteUvsNarrow<kStream>(uvs + tail, present - tail, out + 2 * tail);
  std::fill(out + 2 * present, out + 2 * count, 0.0f);
}

// Leaves out every triangle that uses an invalid vertex, keeping the order.
void DropTrianglesOfInvalidVertices(const ON_3fPoint* vertices, std::size_t count, double scale,
                                    MeshBuffers& buffers) {
  std::vector<unsigned char>& usable = buffers.usable;
  usable.resize(count);
  for (std::size_t i = 0; i < count; ++i) usable[i] = Sendable(vertices[i], scale) ? 1 : 0;
  int* in = buffers.indices.data();
  int* const end = in + buffers.indices.size();
  int* out = in;
  for (; in != end; in += 3) {
    if (!usable[static_cast<std::size_t>(in[0])] || !usable[static_cast<std::size_t>(in[1])] ||
        !usable[static_cast<std::size_t>(in[2])])
      continue;
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
    out += 3;
  }
  buffers.indices.resize(static_cast<std::size_t>(out - buffers.indices.data()));
}

// The entries [begin, end) of the three per-vertex buffers, sized already;
// `begin` is a multiple of kVertexAlignment, so that each buffer's part starts
// at a 16-byte boundary as the streaming stores need (the buffers from the
// allocator start at one). Returns the number of invalid vertices among them.
constexpr std::size_t kVertexAlignment = 4;

template <bool kStream>
std::size_t WriteVertexRange(const ON_Mesh& mesh, std::size_t begin, std::size_t end, double scale,
                             MeshAxes axes, MeshBuffers& buffers) {
  const std::size_t count = end - begin;
  const auto after = [begin](std::size_t given) { return given > begin ? given - begin : 0; };
  const ON_3fVector* normals = mesh.m_N.Array() + std::min(Size(mesh.m_N), begin);
  const ON_2fPoint* uvs = mesh.m_T.Array() + std::min(Size(mesh.m_T), begin);
  const ON_3fPoint* vertices = mesh.m_V.Array() + begin;
  float* const normalsOut = buffers.normals.data() + 3 * begin;
  float* const positionsOut = buffers.positions.data() + 3 * begin;
  const bool renderer = axes == MeshAxes::kRenderer;
  if (renderer)
    WriteNormals<MeshAxes::kRenderer, kStream>(normals, after(Size(mesh.m_N)), count, normalsOut);
  else
    WriteNormals<MeshAxes::kModel, kStream>(normals, after(Size(mesh.m_N)), count, normalsOut);
  WriteUvs<kStream>(uvs, after(Size(mesh.m_T)), count, buffers.uvs.data() + 2 * begin);
  const std::size_t invalid =
      renderer ? WritePositions<MeshAxes::kRenderer, kStream>(vertices, count, scale, positionsOut)
               : WritePositions<MeshAxes::kModel, kStream>(vertices, count, scale, positionsOut);
  if (kStream) EndStreaming();
  return invalid;
}

// Sizes the three per-vertex buffers to one entry per vertex of the mesh, and
// tells whether they are written around the cache.
bool SizeVertexBuffers(std::size_t count, MeshBuffers& buffers) {
  buffers.positions.clear();
  buffers.positions.resize(3 * count);
  buffers.normals.clear();
  buffers.normals.resize(3 * count);
  buffers.uvs.clear();
  buffers.uvs.resize(2 * count);
  return Streams(3 * count * sizeof(float));
}

// --- The quad split ---
//
// The host's ConvertQuadsToTriangles, on every quad that is valid (four
// different vertex numbers inside the vertex list), measures both diagonals
// and the four edges with ON_3dPoint::DistanceTo on the vertices in double
// precision (the mesh's double-precision ones when it has them). An edge
// shorter than the smaller diagonal times a relative tolerance, and than
// ON_ZERO_TOLERANCE, makes the quad one triangle without that edge; a quad
// with one diagonal of no length (or not a number) is split along the other;
// with both, it stays a quad; any other quad is split along the shorter
// diagonal, along 0-2 when they are equal.

// Squared lengths in double precision (kApart) hold while every coordinate
// lies below this magnitude: no square overflows.
constexpr double kBound = 1e150;

struct Corner {
  double x, y, z;
};

template <class Point>
inline Corner CornerOf(const Point& p) {
  return {static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z)};
}

inline double Squared(double x, double y, double z) { return x * x + y * y + z * z; }

// False for a coordinate that is not a number.
inline bool Bounded(const Corner& p) {
  return (std::fabs(p.x) < kBound) & (std::fabs(p.y) < kBound) & (std::fabs(p.z) < kBound);
}

inline bool SurelyLong(double x, double y, double z) {
  return Squared(x, y, z) > kSurelyLongSquared;
}

// The host's judgement itself, with its own distances, for the quads that
// squared lengths do not surely decide.
template <class Point>
QuadSplit ExactSplit(const Point* vertices, const ON_MeshFace& quad, double relativeTolerance) {
  ON_3dPoint p[4];
  for (int k = 0; k < 4; ++k) {
    const Point& v = vertices[quad.vi[k]];
    p[k] = ON_3dPoint(static_cast<double>(v.x), static_cast<double>(v.y), static_cast<double>(v.z));
  }
  const double d0 = p[0].DistanceTo(p[2]);
  const double d1 = p[1].DistanceTo(p[3]);
  int shortEdge = -1;
  double bound = ((d0 <= d1) ? d0 : d1) * relativeTolerance;
  if (bound > ON_ZERO_TOLERANCE) bound = ON_ZERO_TOLERANCE;
  for (int k = 0; k < 4; ++k) {
    const double edge = p[k].DistanceTo(p[(k + 1) % 4]);
    if (edge < bound) {
      shortEdge = k;
      bound = edge;
    }
  }
  if (!(d0 > 0.0)) return d1 > 0.0 ? QuadSplit::kAlong13 : QuadSplit::kKept;
  if (!(d1 > 0.0)) return QuadSplit::kAlong02;
  if (shortEdge >= 0)
    return static_cast<QuadSplit>(static_cast<int>(QuadSplit::kDrop0) + shortEdge);
  return d1 < d0 ? QuadSplit::kAlong13 : QuadSplit::kAlong02;
}

// The host's relative tolerance of a degenerate edge: eight units of the
// vertices' precision.
template <class Point>
constexpr double RelativeTolerance() {
  return 8.0 * (std::is_same_v<Point, ON_3dPoint> ? ON_EPSILON : ON_FLOAT_EPSILON);
}

// The split of a valid quad: by squared lengths where they surely decide it
// as the host does (no edge or diagonal near the degenerate bound, diagonals
// not nearly equal), else with the host's own measures.
template <class Point>
inline QuadSplit SplitOf(const Point* vertices, const ON_MeshFace& quad) {
  const Corner a = CornerOf(vertices[quad.vi[0]]), b = CornerOf(vertices[quad.vi[1]]);
  const Corner c = CornerOf(vertices[quad.vi[2]]), d = CornerOf(vertices[quad.vi[3]]);
  if (Bounded(a) & Bounded(b) & Bounded(c) & Bounded(d)) {
    const double x02 = c.x - a.x, y02 = c.y - a.y, z02 = c.z - a.z;
    const double x13 = d.x - b.x, y13 = d.y - b.y, z13 = d.z - b.z;
    const double d02 = Squared(x02, y02, z02), d13 = Squared(x13, y13, z13);
    if ((d02 > kSurelyLongSquared) & (d13 > kSurelyLongSquared) &
        SurelyLong(b.x - a.x, b.y - a.y, b.z - a.z) & SurelyLong(c.x - b.x, c.y - b.y, c.z - b.z) &
        SurelyLong(d.x - c.x, d.y - c.y, d.z - c.z) & SurelyLong(a.x - d.x, a.y - d.y, a.z - d.z)) {
      if (std::fabs(d02 - d13) > kApart * std::max(d02, d13))
        return d13 < d02 ? QuadSplit::kAlong13 : QuadSplit::kAlong02;
      // The same magnitudes in the same places (a rectangle's diagonals, as
      // a rule): the host's lengths are equal and it splits along 0-2.
      if ((std::fabs(x02) == std::fabs(x13)) & (std::fabs(y02) == std::fabs(y13)) &
          (std::fabs(z02) == std::fabs(z13)))
        return QuadSplit::kAlong02;
      // Nearly equal: the host's lengths of the diagonals decide.
      return ON_Length3d(x13, y13, z13) < ON_Length3d(x02, y02, z02) ? QuadSplit::kAlong13
                                                                     : QuadSplit::kAlong02;
    }
  }
  return ExactSplit(vertices, quad, RelativeTolerance<Point>());
}

#if ORVEX_MESH_SSE2
// A vertex as four floats: x, y, z and one more, the next vertex's x, or 0
// for the last vertex, which has no next one to read.
inline __m128 LoadCorner(const ON_3fPoint* vertices, int index, unsigned count) {
  const float* p = &vertices[index].x;
  if (static_cast<unsigned>(index) + 1 < count) return _mm_loadu_ps(p);
  return _mm_setr_ps(p[0], p[1], p[2], 0.0f);
}

// x + y + z of each of four vectors of squares.
inline __m128 SumsOfFour(__m128 a, __m128 b, __m128 c, __m128 d) {
  const __m128 ab0 = _mm_unpacklo_ps(a, b), ab1 = _mm_unpackhi_ps(a, b);  // ax bx ay by, az bz
  const __m128 cd0 = _mm_unpacklo_ps(c, d), cd1 = _mm_unpackhi_ps(c, d);
  const __m128 x = _mm_movelh_ps(ab0, cd0), y = _mm_movehl_ps(cd0, ab0);
  const __m128 z = _mm_movelh_ps(ab1, cd1);
  return _mm_add_ps(_mm_add_ps(x, y), z);
}

// Whether a valid quad of float vertices is split along 1-3 (1) or along 0-2
// (0), where float squares surely decide it (most quads), four lanes at a
// time; -1 when they do not.
inline int SurelyAlong13(const ON_3fPoint* vertices, const ON_MeshFace& quad, unsigned count) {
  const __m128 a = LoadCorner(vertices, quad.vi[0], count);
  const __m128 b = LoadCorner(vertices, quad.vi[1], count);
  const __m128 c = LoadCorner(vertices, quad.vi[2], count);
  const __m128 d = LoadCorner(vertices, quad.vi[3], count);
  const __m128 ab = _mm_sub_ps(b, a), bc = _mm_sub_ps(c, b), cd = _mm_sub_ps(d, c),
               da = _mm_sub_ps(a, d);
  const __m128 ac = _mm_sub_ps(c, a), bd = _mm_sub_ps(d, b);
  const __m128 edges =
      SumsOfFour(_mm_mul_ps(ab, ab), _mm_mul_ps(bc, bc), _mm_mul_ps(cd, cd), _mm_mul_ps(da, da));
  const __m128 ac2 = _mm_mul_ps(ac, ac), bd2 = _mm_mul_ps(bd, bd);
  const __m128 diagonals = SumsOfFour(ac2, bd2, ac2, bd2);  // 0-2, 1-3, 0-2, 1-3
  const __m128 bound = _mm_set1_ps(kFloatSurelyLongSquared);
  if (_mm_movemask_ps(_mm_and_ps(_mm_cmpgt_ps(edges, bound), _mm_cmpgt_ps(diagonals, bound))) != 15)
    return -1;
  const float d02 = _mm_cvtss_f32(diagonals);
  const float d13 = _mm_cvtss_f32(_mm_shuffle_ps(diagonals, diagonals, _MM_SHUFFLE(1, 1, 1, 1)));
  if (!(std::fabs(d02 - d13) > kFloatApart * std::max(d02, d13))) return -1;
  return static_cast<int>(d13 < d02);
}
#else
inline int SurelyAlong13(const ON_3fPoint*, const ON_MeshFace&, unsigned) { return -1; }
#endif

#if ORVEX_MESH_SSE2
// Whether four faces are all valid quads.
inline bool FourValidQuads(const ON_MeshFace* faces, unsigned limit) {
  const __m128i flip = _mm_set1_epi32(INT32_MIN);
  const __m128i past = _mm_set1_epi32(static_cast<int>(limit ^ 0x80000000u));
  __m128i bad = _mm_setzero_si128();
  for (int q = 0; q < 4; ++q) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(faces[q].vi));
    // Outside the list (unsigned: a negative number lies past its end), or a
    // number repeated: a b c d against b c a a and against d d d b.
    const __m128i outside = _mm_cmplt_epi32(_mm_xor_si128(f, flip), past);
    bad = _mm_or_si128(bad, _mm_xor_si128(outside, _mm_set1_epi32(-1)));
    bad = _mm_or_si128(bad, _mm_cmpeq_epi32(f, _mm_shuffle_epi32(f, _MM_SHUFFLE(0, 0, 2, 1))));
    bad = _mm_or_si128(bad, _mm_cmpeq_epi32(f, _mm_shuffle_epi32(f, _MM_SHUFFLE(1, 3, 3, 3))));
  }
  return _mm_movemask_epi8(bad) == 0;
}

// SurelyAlong13 of four valid quads at once, a quad in each lane, none of
// them using the last vertex (each corner is read as four floats). The answer
// has a bit set for each quad whose edges and diagonals are all surely longer
// than the degenerate bound, which the host splits along a diagonal; among
// them, `decided` has a bit set for each whose diagonals float squares surely
// order, and `along13` for each of those split along 1-3.
inline int AlongADiagonalOfFour(const ON_3fPoint* vertices, const ON_MeshFace* quads, int& decided,
                                int& along13) {
  __m128 x[4], y[4], z[4];
  for (int k = 0; k < 4; ++k) {
    const __m128 p0 = _mm_loadu_ps(&vertices[quads[0].vi[k]].x);
    const __m128 p1 = _mm_loadu_ps(&vertices[quads[1].vi[k]].x);
    const __m128 p2 = _mm_loadu_ps(&vertices[quads[2].vi[k]].x);
    const __m128 p3 = _mm_loadu_ps(&vertices[quads[3].vi[k]].x);
    const __m128 xy01 = _mm_unpacklo_ps(p0, p1), xy23 = _mm_unpacklo_ps(p2, p3);
    x[k] = _mm_movelh_ps(xy01, xy23);
    y[k] = _mm_movehl_ps(xy23, xy01);
    z[k] = _mm_movelh_ps(_mm_unpackhi_ps(p0, p1), _mm_unpackhi_ps(p2, p3));
  }
  const auto squared = [&](int i, int j) {
    const __m128 dx = _mm_sub_ps(x[j], x[i]), dy = _mm_sub_ps(y[j], y[i]);
    const __m128 dz = _mm_sub_ps(z[j], z[i]);
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
  };
  const __m128 bound = _mm_set1_ps(kFloatSurelyLongSquared);
  const __m128 d02 = squared(0, 2), d13 = squared(1, 3);
  __m128 sure = _mm_and_ps(_mm_cmpgt_ps(d02, bound), _mm_cmpgt_ps(d13, bound));
  sure = _mm_and_ps(
      sure, _mm_and_ps(_mm_cmpgt_ps(squared(0, 1), bound), _mm_cmpgt_ps(squared(1, 2), bound)));
  sure = _mm_and_ps(
      sure, _mm_and_ps(_mm_cmpgt_ps(squared(2, 3), bound), _mm_cmpgt_ps(squared(3, 0), bound)));
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  const __m128 gap = _mm_and_ps(_mm_sub_ps(d02, d13), magnitude);
  decided = _mm_movemask_ps(
      _mm_cmpgt_ps(gap, _mm_mul_ps(_mm_set1_ps(kFloatApart), _mm_max_ps(d02, d13))));
  along13 = _mm_movemask_ps(_mm_cmplt_ps(d13, d02));
  return _mm_movemask_ps(sure);
}

// The diagonals of four quads split along one (AlongADiagonalOfFour), as bits
// of quads split along 1-3: where float squares do not order them, as the
// host's own lengths do (SplitOf). -1 should the host keep one of them whole
// or drop a corner after all.
int DiagonalsOfFour(const ON_3fPoint* vertices, const ON_MeshFace* quads, int decided,
                    int along13) {
  for (int q = 0; q < 4; ++q) {
    if ((decided >> q) & 1) continue;
    const QuadSplit split = SplitOf(vertices, quads[q]);
    if (split == QuadSplit::kAlong13)
      along13 |= 1 << q;
    else if (split == QuadSplit::kAlong02)
      along13 &= ~(1 << q);
    else
      return -1;
  }
  return along13;
}

// The lanes of `ifSet` where `mask` is set, of `ifClear` elsewhere.
inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
  return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// The two triangles of a valid quad, vertex numbers in the first three lanes:
// along 0-2 (0, 1, 2) and (0, 2, 3), along 1-3 (0, 1, 3) and (1, 2, 3).
inline void SplitInLanes(const ON_MeshFace& quad, bool along13, __m128i& first, __m128i& second) {
  const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quad.vi));
  const __m128i mask = _mm_set1_epi32(along13 ? -1 : 0);
  first = Select(mask, _mm_shuffle_epi32(f, _MM_SHUFFLE(3, 3, 1, 0)), f);
  second = Select(mask, _mm_shuffle_epi32(f, _MM_SHUFFLE(3, 3, 2, 1)),
                  _mm_shuffle_epi32(f, _MM_SHUFFLE(3, 3, 2, 0)));
}
#endif

// -1: float squares do not serve double vertices; SplitOf judges them.
inline int SurelyAlong13(const ON_3dPoint*, const ON_MeshFace&, unsigned) { return -1; }

// The split of a valid quad, as the host makes it.
template <class Point>
inline QuadSplit SplitOfQuad(const Point* vertices, const ON_MeshFace& quad, unsigned count) {
  const int along13 = SurelyAlong13(vertices, quad, count);
  if (along13 >= 0) return along13 ? QuadSplit::kAlong13 : QuadSplit::kAlong02;
  return SplitOf(vertices, quad);
}

// Whether a face is a quad the host splits: four different vertex numbers
// inside the vertex list (ON_MeshFace::IsValid).
inline bool IsValidQuad(const ON_MeshFace& face, unsigned limit) {
  const unsigned a = static_cast<unsigned>(face.vi[0]), b = static_cast<unsigned>(face.vi[1]);
  const unsigned c = static_cast<unsigned>(face.vi[2]), d = static_cast<unsigned>(face.vi[3]);
  return (a < limit) & (b < limit) & (c < limit) & (d < limit) & (a != b) & (b != c) & (c != a) &
         (a != d) & (b != d) & (c != d);
}

// Copies `count` numbers to `to`, around the cache with kStream.
template <bool kStream>
void CopyIndices(int* to, const int* from, std::size_t count) {
#if ORVEX_MESH_SSE2
  if constexpr (kStream) {
    std::size_t i = 0;
    for (; i < count && (reinterpret_cast<std::uintptr_t>(to + i) & 15) != 0; ++i)
      _mm_stream_si32(to + i, from[i]);
    for (; i + 4 <= count; i += 4)
      _mm_stream_si128(reinterpret_cast<__m128i*>(to + i),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
    for (; i < count; ++i) _mm_stream_si32(to + i, from[i]);
    return;
  }
#endif
  std::memcpy(to, from, count * sizeof(int));
}

// Triangles gathered a block at a time in the core's own cache, then copied
// out to their place in the index buffer in one go.
template <bool kStream>
class TriangleWriter {
 public:
  explicit TriangleWriter(int* to) : to_(to), wide_(kStream && WideVectorsRun()) {}
  void Put(int a, int b, int c) {
    block_[held_] = a;
    block_[held_ + 1] = b;
    block_[held_ + 2] = c;
    held_ += 3;
    if (held_ == kBlock) Flush();
  }
#if ORVEX_MESH_SSE2
  // Four triangles, one in the first three lanes of each register.
  void PutFour(__m128i a, __m128i b, __m128i c, __m128i d) {
    if (held_ + 12 > kBlock) Flush();
    StoreFourTriangles<false>(block_ + held_, a, b, c, d);
    held_ += 12;
    if (held_ == kBlock) Flush();
  }
#endif
  // Room for `count` numbers (at most a block), written there before Took.
  int* Room(std::size_t count) {
    if (held_ + count > kBlock) Flush();
    return block_ + held_;
  }
  void Took(std::size_t count) {
    held_ += count;
    if (held_ == kBlock) Flush();
  }
  void Flush() {
    if (wide_)
      StreamIndicesWide(to_, block_, held_);
    else
      CopyIndices<kStream>(to_, block_, held_);
    to_ += held_;
    held_ = 0;
  }
  int* End() const { return to_; }

 private:
  static constexpr std::size_t kBlock = 3 * 256;
  int* to_;
  bool wide_;
  std::size_t held_ = 0;
  int block_[kBlock];
};

// The triangles of `count` faces, every face in its place, a quad as its
// first triangle, the second triangles of the quads to `seconds`. Quads that
// stay quads and triangles with a number outside the vertex list are left
// out.
template <class Point, bool kStream>
void WriteSplitFaces(const ON_MeshFace* faces, std::size_t count, const Point* vertices,
                     unsigned limit, TriangleWriter<kStream>& firsts,
                     TriangleWriter<kStream>& seconds) {
  const bool eightAtATime = std::is_same_v<Point, ON_3fPoint> && WideVectorsRun();
  // Where eight faces from a face on did not all split at once, the next
  // eight are tried from past them: on a mesh of triangles and quads mixed,
  // trying again at every face cost more than the eight-quad split gains
  // (a third of the conversion's time, with a triangle every third face).
  std::size_t eightFrom = 0;
  for (std::size_t i = 0; i < count; ++i) {
    ReadAhead<kStream>(faces + i, faces + count);
    if constexpr (std::is_same_v<Point, ON_3fPoint>) {
      if (eightAtATime && i >= eightFrom && i + 8 <= count) {
        if (SplitEightQuads(faces + i, vertices, limit, firsts.Room(24), seconds.Room(24))) {
          firsts.Took(24);
          seconds.Took(24);
          ReadAhead<kStream>(faces + i + 4, faces + count);
          i += 7;
          continue;
        }
        eightFrom = i + 8;
      }
    }
#if ORVEX_MESH_SSE2
    // Four quads at a time, when all four are valid and surely decided.
    if constexpr (std::is_same_v<Point, ON_3fPoint>) {
      int decided = 0, along13 = 0;
      // Four valid quads whose numbers lie below the last vertex's, each
      // split along a diagonal: float squares choose it, or for the few whose
      // diagonals are nearly equal, the host's lengths.
      if (i + 4 <= count && limit > 1 && FourValidQuads(faces + i, limit - 1) &&
          AlongADiagonalOfFour(vertices, faces + i, decided, along13) == 15 &&
          (decided == 15 ||
           (along13 = DiagonalsOfFour(vertices, faces + i, decided, along13)) >= 0)) {
        __m128i first[4], second[4];
        for (int q = 0; q < 4; ++q)
          SplitInLanes(faces[i + q], (along13 >> q) & 1, first[q], second[q]);
        firsts.PutFour(first[0], first[1], first[2], first[3]);
        seconds.PutFour(second[0], second[1], second[2], second[3]);
        i += 3;
        continue;
      }
    }
#endif
    const ON_MeshFace& f = faces[i];
    const int a = f.vi[0], b = f.vi[1], c = f.vi[2], d = f.vi[3];
    if (c == d) {
      if ((static_cast<unsigned>(a) < limit) & (static_cast<unsigned>(b) < limit) &
          (static_cast<unsigned>(c) < limit))
        firsts.Put(a, b, c);
      continue;
    }
    if (!IsValidQuad(f, limit)) continue;
    // Most quads: split along a diagonal that float squares surely choose,
    // written without a branch, since which diagonal is shorter is as a rule
    // not to be foreseen.
    const int along13 = SurelyAlong13(vertices, f, limit);
    if (along13 >= 0) {
      firsts.Put(a, b, along13 ? d : c);
      seconds.Put(along13 ? b : a, c, d);
      continue;
    }
    switch (SplitOf(vertices, f)) {
      case QuadSplit::kKept: break;
      case QuadSplit::kDrop0: firsts.Put(b, c, d); break;
      case QuadSplit::kDrop1: firsts.Put(c, d, a); break;
      case QuadSplit::kDrop2: firsts.Put(d, a, b); break;
      case QuadSplit::kDrop3: firsts.Put(a, b, c); break;
      case QuadSplit::kAlong02:
        firsts.Put(a, b, c);
        seconds.Put(a, c, d);
        break;
      case QuadSplit::kAlong13:
        firsts.Put(a, b, d);
        seconds.Put(b, c, d);
        break;
    }
  }
  firsts.Flush();
  seconds.Flush();
}

// The room the triangles of the faces from the first quad on are written
// into, from the end of the triangles before it: room for every face to be a
// quad, the first triangles from the front, the second ones from the middle.
// Faces [begin, end) write their share from front + 3 begin and from
// middle + 3 begin.
struct SplitRoom {
  const ON_MeshFace* faces = nullptr;
  std::size_t count = 0;
  int* front = nullptr;
  int* middle = nullptr;
  bool stream = false;
};

// Where a part's first and second triangles end.
struct SplitEnds {
  int* firsts = nullptr;
  int* seconds = nullptr;
};

SplitRoom MakeSplitRoom(const ON_Mesh& mesh, std::size_t firstQuad, IndexBuffer& indices) {
  SplitRoom room;
  room.count = Size(mesh.m_F) - firstQuad;
  if (room.count == 0) return room;
  const std::size_t written = indices.size();
  indices.resize(written + 6 * room.count);
  room.faces = mesh.m_F.Array() + firstQuad;
  room.front = indices.data() + written;
  room.middle = room.front + 3 * room.count;
  room.stream = Streams(6 * room.count * sizeof(int));
  return room;
}

// Splits the room's faces [begin, end) into their share of it, every face in
// its place, a quad as its first triangle, its second one among the seconds.
template <bool kStream>
SplitEnds SplitFaceRange(const ON_Mesh& mesh, const SplitRoom& room, std::size_t begin,
                         std::size_t end) {
  TriangleWriter<kStream> firsts(room.front + 3 * begin), seconds(room.middle + 3 * begin);
  const unsigned limit = static_cast<unsigned>(mesh.m_V.Count());
  if (mesh.HasDoublePrecisionVertices())
    WriteSplitFaces(room.faces + begin, end - begin, mesh.m_dV.Array(), limit, firsts, seconds);
  else
    WriteSplitFaces(room.faces + begin, end - begin, mesh.m_V.Array(), limit, firsts, seconds);
  if (kStream) EndStreaming();
  return {firsts.End(), seconds.End()};
}

// Moves every part's triangles down to follow those before them, in the
// host's order: the first triangles of every part, then the second ones.
// Returns their end. `begins` holds each part's first face, and one more
// entry, the room's face count.
int* GatherSplit(const SplitRoom& room, const std::size_t* begins, const SplitEnds* ends,
                 std::size_t parts) {
  int* to = room.front;
  const auto follow = [&to](int* from, int* end) {
    const std::size_t count = static_cast<std::size_t>(end - from);
    if (to != from) std::memmove(to, from, count * sizeof(int));
    to += count;
  };
  for (std::size_t k = 0; k < parts; ++k) follow(room.front + 3 * begins[k], ends[k].firsts);
  for (std::size_t k = 0; k < parts; ++k) follow(room.middle + 3 * begins[k], ends[k].seconds);
  return to;
}

// A mesh is shared out in parts of at least this many vertices and faces:
// each part's thread then costs a small share of its work.
constexpr std::size_t kPartSize = std::size_t{1} << 16;

std::size_t PartsFor(unsigned threads, std::size_t vertices, std::size_t faces) {
  const std::size_t bySize = std::max(vertices, faces) / kPartSize;
  return std::clamp<std::size_t>(std::min<std::size_t>(threads, bySize), 1, kMaxParts);
}

// The first entry of part k of `count` in `parts` parts, a multiple of
// `alignment`; part `parts` is the end.
std::size_t PartBegin(std::size_t count, std::size_t parts, std::size_t k, std::size_t alignment) {
  if (k == parts) return count;
  return count / parts * k / alignment * alignment;
}

// Asks for every cache line of an array.
template <class T>
void Warm(const ON_SimpleArray<T>& array) {
  constexpr std::size_t kLine = 64;
  const char* const first = reinterpret_cast<const char*>(array.Array());
  const std::size_t bytes = Size(array) * sizeof(T);
  for (std::size_t at = 0; at < bytes; at += kLine) Prefetch(first + at);
}

}  // namespace

std::size_t ConvertedArrayBytes(const ON_Mesh& mesh) {
  return Size(mesh.m_F) * sizeof(ON_MeshFace) + Size(mesh.m_V) * sizeof(ON_3fPoint) +
         Size(mesh.m_N) * sizeof(ON_3fVector) + Size(mesh.m_T) * sizeof(ON_2fPoint);
}

void WarmMeshArrays(const ON_Mesh& mesh) {
  Warm(mesh.m_F);
  Warm(mesh.m_N);
  Warm(mesh.m_T);
  Warm(mesh.m_V);
}

bool ConvertMesh(const ON_Mesh& mesh, const common::RendererFrame& frame, MeshAxes axes,
                 MeshBuffers& buffers, unsigned threads) {
  const double scale = frame.Scale();
  const std::size_t faceCount = Size(mesh.m_F);
  if (faceCount == 0) return false;
  const std::size_t walked =
      WriteTriangles(mesh.m_F.Array(), faceCount, mesh.m_V.Count(), true, buffers.indices);
  const std::size_t vertexCount = Size(mesh.m_V);
  const bool streamVertices = SizeVertexBuffers(vertexCount, buffers);
  const SplitRoom room = MakeSplitRoom(mesh, walked, buffers.indices);

  // Each part writes its own vertices and splits its own faces; no part
  // allocates or throws, since every buffer is sized already.
  const std::size_t parts = PartsFor(threads, vertexCount, room.count);
  std::size_t faceBegins[kMaxParts + 1];
  for (std::size_t k = 0; k <= parts; ++k) faceBegins[k] = PartBegin(room.count, parts, k, 1);
  std::size_t invalid[kMaxParts] = {};
  SplitEnds ends[kMaxParts];
  RunParts(parts, [&](std::size_t k) noexcept {
    const std::size_t begin = PartBegin(vertexCount, parts, k, kVertexAlignment);
    const std::size_t end = PartBegin(vertexCount, parts, k + 1, kVertexAlignment);
    invalid[k] = streamVertices ? WriteVertexRange<true>(mesh, begin, end, scale, axes, buffers)
                                : WriteVertexRange<false>(mesh, begin, end, scale, axes, buffers);
    if (room.count == 0) return;
    ends[k] = room.stream ? SplitFaceRange<true>(mesh, room, faceBegins[k], faceBegins[k + 1])
                          : SplitFaceRange<false>(mesh, room, faceBegins[k], faceBegins[k + 1]);
  });
  if (room.count > 0) {
    int* const end = GatherSplit(room, faceBegins, ends, parts);
    buffers.indices.resize(static_cast<std::size_t>(end - buffers.indices.data()));
  }
  std::size_t invalidCount = 0;
  for (std::size_t k = 0; k < parts; ++k) invalidCount += invalid[k];
  if (invalidCount > 0)
    DropTrianglesOfInvalidVertices(mesh.m_V.Array(), vertexCount, scale, buffers);
  return !buffers.indices.empty();
}

QuadSplit QuadSplitOf(const ON_Mesh& mesh, const ON_MeshFace& quad) {
  const unsigned count = static_cast<unsigned>(mesh.m_V.Count());
  return mesh.HasDoublePrecisionVertices() ? SplitOfQuad(mesh.m_dV.Array(), quad, count)
                                           : SplitOfQuad(mesh.m_V.Array(), quad, count);
}

bool BridgeCountsFit(std::size_t vertices, std::size_t indices) {
  constexpr std::size_t kLargest = static_cast<std::size_t>(std::numeric_limits<int>::max());
  return vertices <= kLargest / 3 && indices <= kLargest;
}

std::wstring MeshName(std::uint32_t number) {
  wchar_t digits[10];
  wchar_t* first = digits + 10;
  do {
    *--first = static_cast<wchar_t>(L'0' + number % 10);
    number /= 10;
  } while (number != 0);
  return std::wstring(first, digits + 10);
}

}  // namespace model_export
