// Bit-plane coder of the AC coefficients of a transform block.
//
// Syntax: 4 bits N (number of planes; 0 = no AC coefficient). Then for
// plane = N down to 1 (top = 2^(plane - 1)) one walk of the significance
// list (significance_walk.h), starting with (4,0) (24,0) (44,0) (1,3) (2,3)
// (3,3). A value is plane - 1 bits v, magnitude top + v, then a sign bit
// (1 = negative). Coefficient index k lands at raster kCoefficientScan[k].
//
// The writer codes each coefficient at the plane of its bit length and opens
// groups as late as the syntax allows. Codable magnitudes: up to 32767 for
// indices 1..7, 24..27 and 44..47, up to 16383 for the grouped indices 8..23,
// 28..43 and 48..63 (a group must open one plane above its largest member).
// clampCoefficients() applies those limits; the writer and the bit count
// apply them too, so an encoder that reconstructs from clamped values sees
// exactly what the decoder will.
#pragma once

#include <cstdint>

#include "decode/core/bit_reader.h"
#include "decode/core/bit_writer.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// Reads the AC coefficients into coef (raster order). Positions that receive
// no value are left as they are: the caller clears the block first.
void readCoefficients(BitReader& in, int32_t coef[64]);

// coef: raster order; the DC at position 0 is not part of this syntax.
void clampCoefficients(int32_t coef[64]);
void writeCoefficients(BitWriter& out, const int32_t coef[64]);
// Exactly the number of bits writeCoefficients() writes.
uint32_t coefficientBits(const int32_t coef[64]);

TOL_NS_END
