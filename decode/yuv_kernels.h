// Row kernels of the YUV blitters: one set of plain C++ loops and one set per
// instruction set, all with the same signature and identical output. The
// blitters (yuv.cpp) pick a set once per call.
//
// The instruction-set files are compiled with their own flags; nothing here
// is an inline function, so no out-of-line copy built for a wider
// instruction set can be shared with the plain code by the linker.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// One row, or a pair of rows sharing one chroma row, of a conversion.
// Pixel i of a row uses luma y[i] and chroma sample (i + oddStart) / 2 of cr
// and cb.
struct YuvRows {
  uint8_t* dst0;          // destination of the first row, at its first pixel
  uint8_t* dst1;          // destination of the second row; null: one row only
  const uint8_t* y0;      // luma of the first row, at its first pixel
  const uint8_t* y1;      // luma of the second row (y0 again when one row)
  const uint8_t* cr;      // chroma row, at the first pixel's sample
  const uint8_t* cb;
  int32_t count;          // pixels per row (even for the packed YUV layouts)
  int32_t oddStart;       // 1: the first pixel is the right one of its chroma pair
};

using YuvRowFn = void (*)(const YuvRows&);

// Kernel slot of a surface type: types 1 to 6, 8 and 9. Slot 7 holds the
// 16-bit surface without a colour layout (every pixel written as 0).
constexpr int kYuvBlank16 = 7;
constexpr int kYuvKernelSlots = 10;

struct YuvKernelSet {
  YuvRowFn row[kYuvKernelSlots];
};

extern const YuvKernelSet kYuvPlainKernels;
extern const YuvKernelSet kYuvSse2Kernels;
extern const YuvKernelSet kYuvAvx2Kernels;

// The blank 16-bit kernel of every set: zeros need no wide loop.
void yuvPlainBlank16(const YuvRows& rows);

// Converts pixels [from, to) of rows with the kernels of set: the parts of
// a row before and after the passes of a wider set. from is even unless the
// rows start with oddStart.
void yuvRowPart(const YuvKernelSet& set, int slot, const YuvRows& rows, int32_t from, int32_t to);

TOL_NS_END
