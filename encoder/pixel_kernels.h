// Pixel kernels of the block analysis, with one plain C++ version and
// versions for wider instruction sets chosen once at run time. Every version
// returns exactly the same values, so the coded file never depends on the
// processor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

struct PixelKernels {
  // Sum of absolute differences of two 64-byte blocks.
  uint32_t (*sad64)(const uint8_t* a, const uint8_t* b);
  // SADs of the 8x8 block `src` (rows srcPitch apart) against the 8x8
  // windows of `ref` starting at ref + k, k = 0 .. count - 1 (count <= 32);
  // reads ref rows only within [0, count + 7).
  void (*sadOffsets)(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out);
  // The same SADs capped: out[k] = min(SAD, cap); returns the smallest
  // out[k]. A search that only takes SADs below its best so far loses
  // nothing, and the kernel can stop early on offsets that already reached
  // the cap.
  uint32_t (*sadOffsetsCapped)(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                           int count, uint32_t cap, uint32_t* out);
  // For every start p of the 64 run values and every tried run length
  // (1..9 and 16, cut to 64 - p): the length, the median (the middle value,
  // or the mean of the two middle ones rounded down) and the deviation (the
  // larger distance of the smallest and the largest member from it).
  void (*runStatistics)(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                        uint8_t (*deviation)[10]);
  // The run order with the smallest sum of |differences| plus number of
  // changes between consecutive samples of the 8x8 picture (the first on
  // ties).
  unsigned (*chooseRunOrder)(const uint8_t* pic);
  // The 64 samples along run order `order` (scan) and back (unscan).
  void (*scanRunOrder)(const uint8_t* pic, unsigned order, uint8_t* scanned);
  void (*unscanRunOrder)(const uint8_t* scanned, unsigned order, uint8_t* pic);
};

// The run lengths that the statistics cover.
constexpr uint8_t kRunLengthSteps[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 16};

// The lengths part of the statistics, the same for every run.
struct RunLengthTable {
  uint8_t length[64][10];
};
constexpr RunLengthTable makeRunLengthTable() {
  RunLengthTable t{};
  for (int p = 0; p < 64; ++p)
    for (int li = 0; li < 10; ++li)
      t.length[p][li] = static_cast<uint8_t>(kRunLengthSteps[li] < 64 - p ? kRunLengthSteps[li] : 64 - p);
  return t;
}
inline constexpr RunLengthTable kRunLengthTable = makeRunLengthTable();

const PixelKernels& pixelKernels();

// The plain versions, for tests that compare the others with them.
uint32_t sad64Plain(const uint8_t* a, const uint8_t* b);
void sadOffsetsPlain(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out);
uint32_t sadOffsetsCappedPlain(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                           int count, uint32_t cap, uint32_t* out);

void runStatisticsPlain(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                        uint8_t (*deviation)[10]);
unsigned chooseRunOrderPlain(const uint8_t* pic);
void scanRunOrderPlain(const uint8_t* pic, unsigned order, uint8_t* scanned);
void unscanRunOrderPlain(const uint8_t* scanned, unsigned order, uint8_t* pic);

// The SSE4.1 versions (call only when the processor has SSE4.1).
uint32_t sad64Sse41(const uint8_t* a, const uint8_t* b);
void sadOffsetsSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out);
uint32_t sadOffsetsCappedSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                           int count, uint32_t cap, uint32_t* out);
void runStatisticsSse41(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                        uint8_t (*deviation)[10]);
unsigned chooseRunOrderSse41(const uint8_t* pic);
void scanRunOrderSse41(const uint8_t* pic, unsigned order, uint8_t* scanned);
void unscanRunOrderSse41(const uint8_t* scanned, unsigned order, uint8_t* pic);

// The AVX2 versions (call only when the processor has AVX2).
void sadOffsetsAvx2(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                    uint32_t* out);
uint32_t sadOffsetsCappedAvx2(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                          int count, uint32_t cap, uint32_t* out);
void runStatisticsAvx2(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                       uint8_t (*deviation)[10]);

TOL_NS_END
