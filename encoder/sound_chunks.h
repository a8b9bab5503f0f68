// Chunk coding of a block's quantised coefficients (float positions 2 to
// length - 1). The syntax codes runs of 8-value groups that share one
// magnitude width: a chunk is 1 bit (0: one group; 1: a 4-bit code for 2 to
// 64 groups), a 4-bit width w, then per value w magnitude bits and, for a
// non-zero magnitude, a sign bit; w = 0 codes zeros only.
//
// The coder picks the chunking of least total size by dynamic programming
// over the groups: for every group, every allowed run length ending at or
// past the block's end is tried, with the width each run would need.
#pragma once

#include <cstdint>

#include "encoder/sound_bit_writer.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// Largest number of bytes the coefficients of a block of `length` values
// can take: 16 bits a value plus 9 bits a group.
constexpr uint32_t soundChunkBytesLimit(uint32_t length) { return 2 * length + (9 * (length / 8 + 1) + 7) / 8; }

// values: `length` entries, of which 2 to length - 1 are coded, each within
// -32767..32767.
void soundWriteCoefficients(SoundBitWriter& writer, const int32_t* values, uint32_t length);

TOL_NS_END
