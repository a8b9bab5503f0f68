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
};

const PixelKernels& pixelKernels();

// The plain versions, for tests that compare the others with them.
uint32_t sad64Plain(const uint8_t* a, const uint8_t* b);
void sadOffsetsPlain(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out);

// The SSE4.1 versions (call only when the processor has SSE4.1).
uint32_t sad64Sse41(const uint8_t* a, const uint8_t* b);
void sadOffsetsSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out);

TOL_NS_END
