#include "decode/core/block_writer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "decode/core/coefficient_coder.h"
#include "decode/core/scan_orders.h"

TOL_NS_BEGIN
namespace {

void typeOf(PlaneWriter& w, BlockType t, bool scaled) {
  if (scaled) {
    w.blockType(kScaledBlock);
    w.subBlockType(t);
  } else {
    w.blockType(t);
  }
}

}  // namespace

void writeSkip(PlaneWriter& w) { w.blockType(kSkipBlock); }

void writeMotion(PlaneWriter& w, int x, int y) {
  w.blockType(kMotionBlock);
  w.offsets(x, y);
}

void writeFill(PlaneWriter& w, uint8_t colour, bool scaled) {
  typeOf(w, kFillBlock, scaled);
  w.colour(colour);
}

void writePattern(PlaneWriter& w, uint8_t c0, uint8_t c1, const uint8_t patterns[8], bool scaled) {
  typeOf(w, kPatternBlock, scaled);
  w.colour(c0);
  w.colour(c1);
  for (int i = 0; i < 8; ++i) w.pattern(patterns[i]);
}

void writeRaw(PlaneWriter& w, const uint8_t pixels[64], bool scaled) {
  typeOf(w, kRawBlock, scaled);
  for (int i = 0; i < 64; ++i) w.colour(pixels[i]);
}

uint64_t equalNeighbours(const uint8_t scanned[64]) {
#if defined(__SSE2__)
  uint64_t mask = 0;
  for (int k = 0; k < 4; ++k) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scanned + 16 * k));
    // The last group takes its neighbours from itself shifted by one lane.
    const __m128i next = k < 3 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(scanned + 16 * k + 1))
                               : _mm_srli_si128(here, 1);
    mask |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, next)))} << (16 * k);
  }
  return mask & ~(uint64_t{1} << 63);
#else
  uint64_t mask = 0;
  for (int i = 0; i < 63; ++i) mask |= uint64_t{scanned[i + 1] == scanned[i]} << i;
  return mask;
#endif
}

unsigned segmentRuns(const uint8_t scanned[64], RunSegment segments[64]) {
  const uint64_t equal = equalNeighbours(scanned);
  unsigned count = 0, i = 0;
  while (i < 63) {
    const unsigned len = runSegmentLength(equal, i);
    segments[count++] = RunSegment{static_cast<uint8_t>(len), ((equal >> i) & 1) != 0};
    i += len;
  }
  return count;
}

void writeRuns(PlaneWriter& w, unsigned order, const uint8_t pixels[64], bool scaled) {
  typeOf(w, kRunBlock, scaled);
  order &= 15;
  uint8_t scanned[64];
  for (int i = 0; i < 64; ++i) scanned[i] = pixels[kRunOrders[order][i]];
  RunSegment segs[64];
  const unsigned n = segmentRuns(scanned, segs);
  BitWriter& d = w.direct();
  d.put(order, 4);
  unsigned i = 0;
  for (unsigned k = 0; k < n; ++k) {
    d.putBit(segs[k].repeated);
    w.runLength(segs[k].length - 1u);
    for (unsigned c = 0; c < (segs[k].repeated ? 1u : segs[k].length); ++c) w.colour(scanned[i + c]);
    i += segs[k].length;
  }
  if (i == 63) w.colour(scanned[63]);
}

void writeIntra(PlaneWriter& w, int dc, const int32_t coef[64], unsigned q, bool scaled) {
  typeOf(w, kIntraBlock, scaled);
  w.intraDC(dc);
  writeCoefficients(w.direct(), coef);
  w.direct().put(q, 4);
}

void writeInter(PlaneWriter& w, int x, int y, int dc, const int32_t coef[64], unsigned q) {
  w.blockType(kInterBlock);
  w.offsets(x, y);
  w.interDC(dc);
  writeCoefficients(w.direct(), coef);
  w.direct().put(q, 4);
}

void writeResidueBlock(PlaneWriter& w, int x, int y, const ResidueCode& code, unsigned ops) {
  w.blockType(kResidueBlock);
  w.offsets(x, y);
  writeResidue(w.direct(), code, ops);
}

void writeScaledLower(PlaneWriter& w) { w.blockType(kScaledBlock); }

TOL_NS_END
