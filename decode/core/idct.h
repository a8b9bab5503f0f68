// Inverse transform of the Zurn transform blocks, with the dequantisation
// folded into the column pass. The arithmetic is exactly that of the format:
// 32-bit two's complement throughout (sums and products wrap), MUL(x, k) =
// (x * k) >> 11 arithmetic, one butterfly for columns and rows, samples
// (out + 127) >> 8 of which the low 8 bits count, no clamping anywhere.
//
// coef: 64 coefficients by raster position (DC at 0); table: the 64 factors
// of one quantiser row of the intra or inter dequantisation table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// The 64 samples (low 8 bits) in raster order, by the widest kernel the
// processor runs (chosen once); every kernel gives the same bytes.
void idctSamples(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]);

using IdctSamplesFn = void (*)(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]);
// The kernel that idctSamples() uses.
IdctSamplesFn idctSamplesKernel();
// The plain version and the SSE4.1 and AVX2 ones (call those only when the
// processor has the instruction set), for tests and benchmarks.
void idctSamplesPlain(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]);
void idctSamplesSse41(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]);
void idctSamplesAvx2(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]);

// Intra block into the destination.
void idctPut(uint8_t* dst, ptrdiff_t pitch, const int32_t coef[64], const int32_t table[64]);
// Intra block into a 16x16 destination area, each sample as a 2x2 square.
void idctPutScaled(uint8_t* dst, ptrdiff_t pitch, const int32_t coef[64], const int32_t table[64]);
// Inter block: (prediction + sample) modulo 256. dst may equal pred.
void idctAdd(uint8_t* dst, ptrdiff_t pitch, const uint8_t* pred, ptrdiff_t predPitch, const int32_t coef[64],
             const int32_t table[64]);

TOL_NS_END
