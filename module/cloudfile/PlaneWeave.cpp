#include "cloudfile/PlaneWeave.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstring>

#include "cloudfile/ByteOrder.h"

namespace {

// Record `i` from the planes' slices, written as the 64-bit word of its little-endian layout.
void WeaveRecord(const PlaneSlices& p, size_t i, KmqPoint* out) {
  const uint64_t word = uint64_t{p.qx[i]} | uint64_t{p.qy[i]} << 16 | uint64_t{p.qz[i]} << 32 |
                        uint64_t{p.cls[i]} << 48 | (uint64_t{p.intensity[i]} >> 8) << 56;
  std::memcpy(out + i, &word, sizeof word);
}

#if defined(__SSE2__)
// Eight records at a time: the planes' 16-bit lanes are interleaved into records with the
// vector unit, and the largest intensity is kept per lane (an unsigned maximum taken as a
// signed one of values shifted by 0x8000).
size_t WeaveEightsAndTrackLargest(const PlaneSlices& p, size_t count, KmqPoint* out, uint16_t& most) {
  const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i highBytes = _mm_set1_epi16(static_cast<short>(0xFF00));
  __m128i largest = _mm_xor_si128(_mm_set1_epi16(static_cast<short>(most)), bias);
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const auto eight = [i](const uint16_t* plane) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(plane + i));
    };
    const __m128i intensity = eight(p.intensity), qx = eight(p.qx), qy = eight(p.qy), qz = eight(p.qz);
    const __m128i eightClasses = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p.cls + i));
    const __m128i classes = _mm_unpacklo_epi8(eightClasses, _mm_setzero_si128());
    const __m128i tail = _mm_or_si128(classes, _mm_and_si128(intensity, highBytes));  // bytes 6 and 7
    const __m128i xyLow = _mm_unpacklo_epi16(qx, qy), xyHigh = _mm_unpackhi_epi16(qx, qy);
    const __m128i ztLow = _mm_unpacklo_epi16(qz, tail), ztHigh = _mm_unpackhi_epi16(qz, tail);
    auto* records = reinterpret_cast<__m128i*>(out + i);
    _mm_storeu_si128(records, _mm_unpacklo_epi32(xyLow, ztLow));
    _mm_storeu_si128(records + 1, _mm_unpackhi_epi32(xyLow, ztLow));
    _mm_storeu_si128(records + 2, _mm_unpacklo_epi32(xyHigh, ztHigh));
    _mm_storeu_si128(records + 3, _mm_unpackhi_epi32(xyHigh, ztHigh));
    largest = _mm_max_epi16(largest, _mm_xor_si128(intensity, bias));
  }
  alignas(16) uint16_t lanes[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm_xor_si128(largest, bias));
  for (uint16_t lane : lanes) most = std::max(most, lane);
  return i;
}
#else
size_t WeaveEightsAndTrackLargest(const PlaneSlices&, size_t, KmqPoint*, uint16_t&) { return 0; }
#endif

}  // namespace

void WeaveRecords(const PlaneSlices& p, size_t count, KmqPoint* out, uint16_t& most) {
  static_assert(offsetof(KmqPoint, qy) == 2 && offsetof(KmqPoint, qz) == 4 && offsetof(KmqPoint, cls) == 6 &&
                offsetof(KmqPoint, intensity) == 7);
  for (size_t i = WeaveEightsAndTrackLargest(p, count, out, most); i < count; ++i) {
    WeaveRecord(p, i, out);
    most = std::max(most, p.intensity[i]);
  }
}

