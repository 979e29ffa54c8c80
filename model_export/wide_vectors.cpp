#include "model_export/wide_vectors.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

#if defined(__GNUC__) && defined(__x86_64__)
#define ORVEX_WIDE_VECTORS 1
#include <immintrin.h>
// The functions below are compiled for AVX2 whatever the rest of the build
// targets; only WideVectorsRun decides whether they are called.
#define ORVEX_AVX2 __attribute__((target("avx2")))
#else
#define ORVEX_WIDE_VECTORS 0
#endif

namespace model_export {

#if ORVEX_WIDE_VECTORS
namespace {

static_assert(sizeof(ON_MeshFace) == 4 * sizeof(int), "a face is read as four numbers");
static_assert(sizeof(ON_3fPoint) == 3 * sizeof(float), "a vertex is read as three floats");

// --- The quad split ---

// Each lane of the two faces in `f` set when its face is a valid quad whose
// numbers all lie below the bound (`below`, with the sign bit flipped): four
// different numbers, a b c d against b c a a and against d d d b.
ORVEX_AVX2 inline __m256i ValidQuadLanes(__m256i f, __m256i below) {
  const __m256i inside = _mm256_cmpgt_epi32(below, _mm256_xor_si256(f, _mm256_set1_epi32(INT_MIN)));
  const __m256i same1 = _mm256_cmpeq_epi32(f, _mm256_shuffle_epi32(f, _MM_SHUFFLE(0, 0, 2, 1)));
  const __m256i same2 = _mm256_cmpeq_epi32(f, _mm256_shuffle_epi32(f, _MM_SHUFFLE(1, 3, 3, 3)));
  return _mm256_andnot_si256(same2, _mm256_andnot_si256(same1, inside));
}

// Two vertices as four floats each, x y z and the next one's x: one in each
// half of the register.
ORVEX_AVX2 inline __m256 TwoCorners(const ON_3fPoint* vertices, int low, int high) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(&vertices[low].x)),
                              _mm_loadu_ps(&vertices[high].x), 1);
}

// Corner k of eight quads, as their x, y and z, quad q in lane q.
struct Corners {
  __m256 x, y, z;
};

ORVEX_AVX2 inline Corners CornersOf(const ON_3fPoint* vertices, const ON_MeshFace* quads, int k) {
  const __m256 a = TwoCorners(vertices, quads[0].vi[k], quads[4].vi[k]);
  const __m256 b = TwoCorners(vertices, quads[1].vi[k], quads[5].vi[k]);
  const __m256 c = TwoCorners(vertices, quads[2].vi[k], quads[6].vi[k]);
  const __m256 d = TwoCorners(vertices, quads[3].vi[k], quads[7].vi[k]);
  const __m256 xy01 = _mm256_unpacklo_ps(a, b), xy23 = _mm256_unpacklo_ps(c, d);
  const __m256 zw01 = _mm256_unpackhi_ps(a, b), zw23 = _mm256_unpackhi_ps(c, d);
  return {_mm256_shuffle_ps(xy01, xy23, _MM_SHUFFLE(1, 0, 1, 0)),
          _mm256_shuffle_ps(xy01, xy23, _MM_SHUFFLE(3, 2, 3, 2)),
          _mm256_shuffle_ps(zw01, zw23, _MM_SHUFFLE(1, 0, 1, 0))};
}

ORVEX_AVX2 inline __m256 Squared(const Corners& from, const Corners& to) {
  const __m256 dx = _mm256_sub_ps(to.x, from.x), dy = _mm256_sub_ps(to.y, from.y);
  const __m256 dz = _mm256_sub_ps(to.z, from.z);
  return _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy)),
                       _mm256_mul_ps(dz, dz));
}

ORVEX_AVX2 inline __m256 Longer(__m256 squared, __m256 bound) {
  return _mm256_cmp_ps(squared, bound, _CMP_GT_OQ);
}

// Four lanes of a float register, widened: the low half or the high one.
template <int kHalf>
ORVEX_AVX2 inline __m256d Widened(__m256 v) {
  return _mm256_cvtps_pd(kHalf ? _mm256_extractf128_ps(v, 1) : _mm256_castps256_ps128(v));
}

template <int kHalf>
ORVEX_AVX2 inline __m256d Difference(__m256 from, __m256 to) {
  return _mm256_sub_pd(Widened<kHalf>(to), Widened<kHalf>(from));
}

ORVEX_AVX2 inline __m256d Magnitude(__m256d v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }

// The order of the diagonals of the quads in one half of the lanes, in double
// precision, as the conversion's SplitOf orders them before it asks for the
// host's own lengths: squares apart by kApart, else the same magnitudes in
// the same places (equal lengths: along 0-2). Bits of the quads so ordered,
// and in `along13` of those among them split along 1-3.
template <int kHalf>
ORVEX_AVX2 inline int OrderedInDouble(const Corners& a, const Corners& b, const Corners& c,
                                      const Corners& d, int& along13) {
  const __m256d x02 = Difference<kHalf>(a.x, c.x), y02 = Difference<kHalf>(a.y, c.y);
  const __m256d z02 = Difference<kHalf>(a.z, c.z);
  const __m256d x13 = Difference<kHalf>(b.x, d.x), y13 = Difference<kHalf>(b.y, d.y);
  const __m256d z13 = Difference<kHalf>(b.z, d.z);
  const __m256d d02 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(x02, x02), _mm256_mul_pd(y02, y02)),
                                    _mm256_mul_pd(z02, z02));
  const __m256d d13 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(x13, x13), _mm256_mul_pd(y13, y13)),
                                    _mm256_mul_pd(z13, z13));
  const __m256d apart =
      _mm256_cmp_pd(Magnitude(_mm256_sub_pd(d02, d13)),
                    _mm256_mul_pd(_mm256_set1_pd(kApart), _mm256_max_pd(d02, d13)), _CMP_GT_OQ);
  const __m256d same =
      _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(Magnitude(x02), Magnitude(x13), _CMP_EQ_OQ),
                                  _mm256_cmp_pd(Magnitude(y02), Magnitude(y13), _CMP_EQ_OQ)),
                    _mm256_cmp_pd(Magnitude(z02), Magnitude(z13), _CMP_EQ_OQ));
  along13 = _mm256_movemask_pd(_mm256_and_pd(apart, _mm256_cmp_pd(d13, d02, _CMP_LT_OQ)));
  return _mm256_movemask_pd(_mm256_or_pd(apart, same));
}

// The vertex-number places of eight triangles, three each, drawn from the
// faces in two registers (the first's numbers at places 0-7, the second's at
// 0-7 again): `places` holds the place of each number when the triangle's
// quad is split along 0-2, one more where `shifts` picks a bit of `along13`
// that is set. Bit 8 of `along13` is never set.
ORVEX_AVX2 inline __m256i Places(__m256i along13, __m256i places, __m256i shifts) {
  return _mm256_add_epi32(
      places, _mm256_and_si256(_mm256_srlv_epi32(along13, shifts), _mm256_set1_epi32(1)));
}

// Eight numbers of triangles, from `low` up to the place `blend` marks first,
// from `high` at the places it marks.
template <int kBlend>
ORVEX_AVX2 inline void StoreEight(int* out, __m256i low, __m256i high, __m256i places) {
  const __m256i eight = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(low, places),
                                           _mm256_permutevar8x32_epi32(high, places), kBlend);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), eight);
}

// Eight triangles, 24 numbers, of the eight faces in `f` (two in each): the
// places of each third of them among faces (0, 1) and (2, 3), (2, 3) and
// (4, 5), (4, 5) and (6, 7), with the shift of each number's quad.
struct TriangleLayout {
  int places[3][8];
  int shifts[3][8];
};

// First triangles: (0, 1, 2), or (0, 1, 3) along 1-3.
constexpr TriangleLayout kFirsts = {
    {{0, 1, 2, 4, 5, 6, 0, 1}, {2, 4, 5, 6, 0, 1, 2, 4}, {5, 6, 0, 1, 2, 4, 5, 6}},
    {{8, 8, 0, 8, 8, 1, 8, 8}, {2, 8, 8, 3, 8, 8, 4, 8}, {8, 5, 8, 8, 6, 8, 8, 7}}};
// Second triangles: (0, 2, 3), or (1, 2, 3) along 1-3.
constexpr TriangleLayout kSeconds = {
    {{0, 2, 3, 4, 6, 7, 0, 2}, {3, 4, 6, 7, 0, 2, 3, 4}, {6, 7, 0, 2, 3, 4, 6, 7}},
    {{0, 8, 8, 1, 8, 8, 2, 8}, {8, 3, 8, 8, 4, 8, 8, 5}, {8, 8, 6, 8, 8, 7, 8, 8}}};

ORVEX_AVX2 inline __m256i Load(const int* eight) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(eight));
}

ORVEX_AVX2 inline void WriteTriangles(const __m256i* f, __m256i along13,
                                      const TriangleLayout& layout, int* out) {
  StoreEight<0xC0>(out, f[0], f[1],
                   Places(along13, Load(layout.places[0]), Load(layout.shifts[0])));
  StoreEight<0xF0>(out + 8, f[1], f[2],
                   Places(along13, Load(layout.places[1]), Load(layout.shifts[1])));
  StoreEight<0xFC>(out + 16, f[2], f[3],
                   Places(along13, Load(layout.places[2]), Load(layout.shifts[2])));
}

// --- Triples and texture coordinates ---

template <bool kStream>
ORVEX_AVX2 inline void StoreEightFloats(float* out, __m256 v) {
  if constexpr (kStream)
    _mm256_stream_ps(out, v);
  else
    _mm256_storeu_ps(out, v);
}

ORVEX_AVX2 inline __m256i Lanes(int a, int b, int c, int d, int e, int f, int g, int h) {
  return _mm256_setr_epi32(a, b, c, d, e, f, g, h);
}

// Eight triples in three registers, (x0 y0 z0 x1 y1 z1 x2 y2) (z2 x3 y3 z3 x4
// y4 z4 x5) (y5 z5 x6 y6 z6 x7 y7 z7), with x and y exchanged in each.
ORVEX_AVX2 inline void ExchangeEight(__m256& a, __m256& b, __m256& c) {
  const __m256 y5 = _mm256_broadcastss_ps(_mm256_castps256_ps128(c));
  const __m256 x5 = _mm256_permutevar8x32_ps(b, _mm256_set1_epi32(7));
  a = _mm256_permutevar8x32_ps(a, Lanes(1, 0, 2, 4, 3, 5, 7, 6));
  const __m256 middle = _mm256_permutevar8x32_ps(b, Lanes(0, 2, 1, 3, 5, 4, 6, 7));
  const __m256 last = _mm256_permutevar8x32_ps(c, Lanes(0, 1, 3, 2, 4, 6, 5, 7));
  b = _mm256_blend_ps(middle, y5, 0x80);
  c = _mm256_blend_ps(last, x5, 0x01);
}

// Each float widened, multiplied by the scale in double precision and
// narrowed, as the 128-bit code does.
ORVEX_AVX2 inline __m256 ScaleEight(__m256 v, __m256d scale) {
  const __m128 low = _mm256_cvtpd_ps(_mm256_mul_pd(Widened<0>(v), scale));
  const __m128 high = _mm256_cvtpd_ps(_mm256_mul_pd(Widened<1>(v), scale));
  return _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1);
}

// Set in each lane not below the bound in magnitude, or not a number.
ORVEX_AVX2 inline __m256 NotBelow(__m256 v, __m256 bound) {
  return _mm256_cmp_ps(_mm256_andnot_ps(_mm256_set1_ps(-0.0f), v), bound, _CMP_NLT_UQ);
}

template <Triple kTriple, bool kStream>
ORVEX_AVX2 bool WriteTriples(const float* in, std::size_t count, double scale, float bound,
                             float* out) {
  const __m256 limit = _mm256_set1_ps(bound);
  const __m256d wide = _mm256_set1_pd(scale);
  __m256 doubtful = _mm256_setzero_ps();
  const float* const end = in + 3 * count;
  for (std::size_t i = 0; i < count; i += 8, in += 24, out += 24) {
    ReadAhead<kStream>(in, end);
    ReadAhead<kStream>(in + 16, end);
    __m256 a = _mm256_loadu_ps(in), b = _mm256_loadu_ps(in + 8), c = _mm256_loadu_ps(in + 16);
    doubtful = _mm256_or_ps(doubtful, _mm256_or_ps(NotBelow(a, limit), NotBelow(b, limit)));
    doubtful = _mm256_or_ps(doubtful, NotBelow(c, limit));
    if constexpr (kTriple == Triple::kNegated) {
      const __m256 sign = _mm256_set1_ps(-0.0f);
      a = _mm256_xor_ps(a, sign);
      b = _mm256_xor_ps(b, sign);
      c = _mm256_xor_ps(c, sign);
    } else {
      if constexpr (Exchanges(kTriple)) ExchangeEight(a, b, c);
      if constexpr (Scales(kTriple)) {
        a = ScaleEight(a, wide);
        b = ScaleEight(b, wide);
        c = ScaleEight(c, wide);
      }
    }
    StoreEightFloats<kStream>(out, a);
    StoreEightFloats<kStream>(out + 8, b);
    StoreEightFloats<kStream>(out + 16, c);
  }
  return _mm256_movemask_ps(doubtful) == 0;
}

template <bool kStream>
ORVEX_AVX2 void WriteUvs(const float* in, std::size_t count, float* out) {
  const __m256 flipV = _mm256_castsi256_ps(Lanes(0, INT_MIN, 0, INT_MIN, 0, INT_MIN, 0, INT_MIN));
  const float* const end = in + 2 * count;
  for (std::size_t i = 0; i < count; i += 4, in += 8, out += 8) {
    ReadAhead<kStream>(in, end);
    StoreEightFloats<kStream>(out, _mm256_xor_ps(_mm256_loadu_ps(in), flipV));
  }
}

template <Triple kTriple>
bool WriteTriplesTo(bool stream, const float* in, std::size_t count, double scale, float bound,
                    float* out) {
  return stream ? WriteTriples<kTriple, true>(in, count, scale, bound, out)
                : WriteTriples<kTriple, false>(in, count, scale, bound, out);
}

}  // namespace

bool WideVectorsRun() {
  static const bool kRuns = [] {
    const std::optional<std::string> narrow = platform::EnvironmentValue("ORVEX_NARROW_VECTORS");
    if (narrow && *narrow == "1") return false;
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return kRuns;
}

ORVEX_AVX2 bool SplitEightQuads(const ON_MeshFace* faces, const ON_3fPoint* vertices,
                                unsigned vertexCount, int* firsts, int* seconds) {
  if (vertexCount < 2) return false;
  const __m256i below = _mm256_set1_epi32(static_cast<int>((vertexCount - 1) ^ 0x80000000u));
  __m256i f[4];
  __m256i valid = _mm256_set1_epi32(-1);
  for (int k = 0; k < 4; ++k) {
    f[k] = Load(faces[2 * k].vi);
    valid = _mm256_and_si256(valid, ValidQuadLanes(f[k], below));
  }
  if (_mm256_movemask_epi8(valid) != -1) return false;

  const Corners a = CornersOf(vertices, faces, 0), b = CornersOf(vertices, faces, 1);
  const Corners c = CornersOf(vertices, faces, 2), d = CornersOf(vertices, faces, 3);
  const __m256 bound = _mm256_set1_ps(kFloatSurelyLongSquared);
  const __m256 d02 = Squared(a, c), d13 = Squared(b, d);
  __m256 sure = _mm256_and_ps(Longer(d02, bound), Longer(d13, bound));
  sure = _mm256_and_ps(sure,
                       _mm256_and_ps(Longer(Squared(a, b), bound), Longer(Squared(b, c), bound)));
  sure = _mm256_and_ps(sure,
                       _mm256_and_ps(Longer(Squared(c, d), bound), Longer(Squared(d, a), bound)));
  if (_mm256_movemask_ps(sure) != 0xFF) return false;

  const __m256 gap = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), _mm256_sub_ps(d02, d13));
  const int apart = _mm256_movemask_ps(
      Longer(gap, _mm256_mul_ps(_mm256_set1_ps(kFloatApart), _mm256_max_ps(d02, d13))));
  int along13 = _mm256_movemask_ps(_mm256_cmp_ps(d13, d02, _CMP_LT_OQ)) & apart;
  if (apart != 0xFF) {
    // Diagonals nearly equal, as on a flat rectangle: double squares decide.
    int low13 = 0, high13 = 0;
    const int ordered =
        OrderedInDouble<0>(a, b, c, d, low13) | (OrderedInDouble<1>(a, b, c, d, high13) << 4);
    if ((apart | ordered) != 0xFF) return false;
    along13 |= (low13 | (high13 << 4)) & ~apart;
  }
  const __m256i places = _mm256_set1_epi32(along13);
  WriteTriangles(f, places, kFirsts, firsts);
  WriteTriangles(f, places, kSeconds, seconds);
  return true;
}

bool WriteTriplesWide(Triple triple, bool stream, const float* in, std::size_t count, double scale,
                      float bound, float* out) {
  switch (triple) {
    case Triple::kExchangedScaled:
      return WriteTriplesTo<Triple::kExchangedScaled>(stream, in, count, scale, bound, out);
    case Triple::kScaled:
      return WriteTriplesTo<Triple::kScaled>(stream, in, count, scale, bound, out);
    case Triple::kExchanged:
      return WriteTriplesTo<Triple::kExchanged>(stream, in, count, scale, bound, out);
    case Triple::kNegated:
      return WriteTriplesTo<Triple::kNegated>(stream, in, count, scale, bound, out);
  }
  return false;
}

void WriteUvsWide(bool stream, const float* in, std::size_t count, float* out) {
  if (stream)
    WriteUvs<true>(in, count, out);
  else
    WriteUvs<false>(in, count, out);
}

ORVEX_AVX2 void StreamIndicesWide(int* to, const int* from, std::size_t count) {
  std::size_t i = 0;
  for (; i < count && (reinterpret_cast<std::uintptr_t>(to + i) & 31) != 0; ++i)
    _mm_stream_si32(to + i, from[i]);
  for (; i + 8 <= count; i += 8)
    _mm256_stream_si256(reinterpret_cast<__m256i*>(to + i), Load(from + i));
  for (; i < count; ++i) _mm_stream_si32(to + i, from[i]);
}

#else

bool WideVectorsRun() { return false; }

bool WriteTriplesWide(Triple, bool, const float*, std::size_t, double, float, float*) {
  return false;
}

void WriteUvsWide(bool, const float*, std::size_t, float*) {}

void StreamIndicesWide(int*, const int*, std::size_t) {}

bool SplitEightQuads(const ON_MeshFace*, const ON_3fPoint*, unsigned, int*, int*) { return false; }

#endif

}  // namespace model_export
