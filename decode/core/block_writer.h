// Block-level writing: each function gives the plane writer everything one
// block contributes, in the order the decoder takes it (block type, stream
// elements, direct bits). `scaled` writes the block as the upper half of a
// scaled block (type 1 with this block's type as sub-type) whose 8x8 content
// the decoder doubles into a 16x16 area; the covered lower half on the next
// block row is written with writeScaledLower(). Pixel arguments are 8x8 in
// raster order.
#pragma once

#include <bit>
#include <cstdint>

#include "decode/core/plane_writer.h"
#include "decode/core/residue_coder.h"
#include "platform/libns.h"

TOL_NS_BEGIN

enum BlockType : uint8_t {
  kSkipBlock = 0,
  kScaledBlock = 1,
  kMotionBlock = 2,
  kRunBlock = 3,
  kResidueBlock = 4,
  kIntraBlock = 5,
  kFillBlock = 6,
  kInterBlock = 7,
  kPatternBlock = 8,
  kRawBlock = 9,
};

void writeSkip(PlaneWriter& w);
void writeMotion(PlaneWriter& w, int x, int y);
void writeFill(PlaneWriter& w, uint8_t colour, bool scaled = false);
// Row i uses patterns[i]; bit j (least significant first) picks c1 over c0.
void writePattern(PlaneWriter& w, uint8_t c0, uint8_t c1, const uint8_t patterns[8], bool scaled = false);
void writeRaw(PlaneWriter& w, const uint8_t pixels[64], bool scaled = false);
// Run block: the pixels visited in run order `order`, cut by segmentRuns().
void writeRuns(PlaneWriter& w, unsigned order, const uint8_t pixels[64], bool scaled = false);
// Transform blocks: coef in raster order (DC at 0 ignored; the dc argument
// is the DC element), q the quantiser row.
void writeIntra(PlaneWriter& w, int dc, const int32_t coef[64], unsigned q, bool scaled = false);
void writeInter(PlaneWriter& w, int x, int y, int dc, const int32_t coef[64], unsigned q);
// Residue block with the first `ops` operations of code (1..128).
void writeResidueBlock(PlaneWriter& w, int x, int y, const ResidueCode& code, unsigned ops);
// Lower half of a scaled block (odd block rows): one type-1 element.
void writeScaledLower(PlaneWriter& w);

// Run segmentation along a run order: at each position a segment of equal
// values (as long as they stay equal, at most 16) or of values without two
// equal neighbours (at most 16), while fewer than 63 pixels are covered; a
// lone 64th pixel is taken as one more colour. Returns the segment count;
// a segment stores its length and whether it is one repeated colour.
struct RunSegment {
  uint8_t length;
  bool repeated;
};
unsigned segmentRuns(const uint8_t scanned[64], RunSegment segments[64]);

// Bit i (i = 0 .. 62) set where scanned[i + 1] equals scanned[i]; bit 63 is
// clear. A segment is then one stretch of set or of clear bits.
uint64_t equalNeighbours(const uint8_t scanned[64]);

// Length of the segment starting at i (< 63), given equalNeighbours(): one
// more than the stretch of equal bits from bit i, at most 16 and 64 - i.
inline unsigned runSegmentLength(uint64_t equal, unsigned i) {
  const uint64_t rest = equal >> i;
  const unsigned stretch = static_cast<unsigned>(rest & 1 ? std::countr_one(rest) : std::countr_zero(rest));
  const unsigned cap = 64 - i < 16 ? 64 - i : 16;
  return stretch + 1 < cap ? stretch + 1 : cap;
}

TOL_NS_END
