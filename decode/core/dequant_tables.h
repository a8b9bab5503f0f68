// Dequantisation factors of the transform blocks, 16.16 fixed point: two
// tables (intra, inter) of 16 quantiser rows by 64 raster positions.
// Entry [q][pos] = M[pos] x a(row) x a(column) x 4096 x s[q], rounded half up
// in double precision, with a(0) = 1, a(k) = sqrt(2) cos(k pi / 16), M the
// table's base matrix and s the quantiser scales below; 84 listed entries are
// one greater than that rule. The encoder quantises with the same tables.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

struct DequantTables {
  int32_t intra[16][64];
  int32_t inter[16][64];
};

// Built once, on first use (thread-safe).
const DequantTables& dequantTables();

// The parts of the rule, for the encoder's reciprocals and for checks.
extern const double kQuantiserScales[16];
extern const uint8_t kIntraBaseMatrix[64];
extern const uint8_t kInterBaseMatrix[64];
// The entries that the rule alone misses by one: quantiser row, raster position.
struct DequantException {
  uint8_t q, pos;
};
extern const DequantException kIntraExceptions[46];
extern const DequantException kInterExceptions[38];

TOL_NS_END
