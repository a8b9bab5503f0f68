// The encoder's side of the transform blocks: the forward transform whose
// dequantised output the decoder's inverse transform turns back into the
// block, and quantisation by reciprocals of the decoder's dequantisation
// factors.
//
// The forward transform is the scaled 8x8 factorisation (rows, then columns)
// in fixed point with 11 fractional bits (constants 1448, 784, 1108, 2676)
// on inputs scaled by 256; its output at raster position (v, u) is the
// orthonormal coefficient times 2048 a(v) a(u), which is what the
// dequantisation factors of the decoder assume.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// in: 64 samples (0..255) or residues (-128..127) in raster order. Uses the
// widest kernel the processor runs; every kernel gives the same output.
void forwardTransform(const int16_t in[64], int32_t out[64]);
// The plain version and the AVX2 one (call only when the processor has
// AVX2), for tests and benchmarks.
void forwardTransformPlain(const int16_t in[64], int32_t out[64]);
void forwardTransformAvx2(const int16_t in[64], int32_t out[64]);

// Reciprocals R = 2^35 / D, rounded, of the intra and inter tables.
struct QuantReciprocals {
  int64_t intra[16][64];
  int64_t inter[16][64];
};
const QuantReciprocals& quantReciprocals();

// The coefficient coder's limit for the grouped coefficients (the others
// may reach 32767): levels above it make quantisation clamp the block.
constexpr uint32_t kSmallestCoefficientLimit = 16383;

// level = (c R + 2^29 - 1) >> 30 for every coefficient, held within what
// the coefficient coder can write; returns true when some AC level is not 0.
// Uses the widest kernel the processor runs; every kernel gives the same
// levels, for any 32-bit coefficients.
bool quantiseBlock(const int32_t coef[64], const int64_t reciprocal[64], int32_t level[64]);

// The plain version and the AVX2 one (call only when the processor has
// AVX2 and every reciprocal is below 2^31, as those of quantReciprocals()
// are), for tests and benchmarks.
bool quantiseBlockPlain(const int32_t coef[64], const int64_t reciprocal[64], int32_t level[64]);
bool quantiseBlockAvx2(const int32_t coef[64], const int64_t reciprocal[64], int32_t level[64]);

TOL_NS_END
