// Bit-plane coder of the residue of a motion-compensated block (block type 4).
//
// Syntax: 3 bits K; planes with mask 2^K down to 1. Each plane first refines
// every already-set value, in the order the values were set: one bit, 1 =
// move away from zero by the mask (a stored 8-bit value with its top bit set
// counts as negative). Then one walk of the significance list
// (significance_walk.h) starting with (4,0) (24,0) (44,0) (0,2); a value is
// a sign bit (1 = negative) giving -mask or +mask. Each set refinement and
// each new value is one operation; the block's 7-bit field n stops the
// residue right after operation n + 1. The residue of index k is added,
// modulo 256, at raster position kCoefficientScan[k].
//
// Writing side: encodeResidue() codes a residue (whole, or as far as the
// caller needs) and records, for every operation, the bits used up to it
// and its effect, so an encoder can
// replay the prefixes (each a candidate coding) without decoding; the block
// writer then emits n = operations - 1 and that many operations' bits.
#pragma once

#include <cstdint>

#include "decode/core/bit_reader.h"
#include "decode/core/bit_writer.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// Reads a residue limited to `limit` operations (1..128) into resid (raster
// order, 8-bit two's complement). resid must start zeroed.
void readResidue(BitReader& in, unsigned limit, uint8_t resid[64]);

struct ResidueOperation {
  uint16_t endBit;  // bits of the code (the 3-bit K included) up to this op
  uint8_t pos;      // raster position changed
  uint8_t value;    // the residue at pos after this op (8-bit two's complement)
};

// The most operations that a block's 7-bit field can select.
constexpr unsigned kBlockResidueOps = 128;

struct ResidueCode {
  static constexpr unsigned kMaxOps = 64 * 8;
  uint32_t words[80];    // the whole code, least significant bit first
  uint32_t totalBits;
  unsigned opCount;
  ResidueOperation ops[kMaxOps];
};

// Codes resid (raster order, signed). Codable: -128..127 at raster positions
// of indices 0..7, 24..27 and 44..47; -127..127 elsewhere (-128 there is
// coded as -127, and the recorded operations show it).
// A caller that needs only the first `needOps` operations (a block uses at
// most kBlockResidueOps) may say so: coding then ends with the plane in
// which the code reaches that many, and totalBits counts only the bits coded.
void encodeResidue(const int8_t resid[64], ResidueCode& code, unsigned needOps = ResidueCode::kMaxOps);
// Writes the block's 7-bit operation field and the code up to `ops`
// operations (1..min(128, opCount)).
void writeResidue(BitWriter& out, const ResidueCode& code, unsigned ops);

TOL_NS_END
