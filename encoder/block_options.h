// The option lists of 8x8 blocks and 16x16 areas: every candidate coding
// with its size and error, pruned to the options worth their size.
#pragma once

#include <cstdint>

#include "encoder/block_choices.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// One 8x8 block: the source samples, and for a delta frame the reference
// block at the same place and the reference block displaced by the motion
// vector (in raster order).
struct BlockSamples {
  uint8_t src[64];
  uint8_t ref[64];
  uint8_t mc[64];
  int8_t motionX, motionY;
  bool delta;
};

// Builds the record's options: skip, fill, pattern, runs, intra transform,
// residue, inter transform, motion copy and raw (the delta-only ones only
// for delta frames), pruned to the convex hull, at most 32, each raised by
// the block type's cost.
void buildBlockOptions(const BlockSamples& block, const uint32_t est[8], BlockChoices& record);

// One 16x16 area: its 256 source samples and, for a delta frame, the
// reference samples at the same place (null for a keyframe).
// Builds the coarse options (fill, pattern, runs, intra transform, raw) on
// the area's 8x8 coarse picture, errors against the 256 source samples,
// monotone-pruned to at most 31 and raised by the cost of two block types
// and a sub-block type. No options when the reference already holds the
// coarse picture.
void buildAreaOptions(const uint8_t src[256], const uint8_t* ref, const uint32_t est[8], BlockChoices& record);

// The area's coarse picture: each sample the mean of the two middle values
// of its 2x2 group.
void coarsePicture(const uint8_t src[256], uint8_t coarse[64]);
// SAD of the coarse picture doubled in both directions against src, by the
// widest kernel the processor runs.
uint32_t sadDoubled(const uint8_t coarse[64], const uint8_t src[256]);
// Its plain and SSE2 versions (call that only when the processor has SSE2).
uint32_t sadDoubledPlain(const uint8_t coarse[64], const uint8_t src[256]);
uint32_t sadDoubledSse2(const uint8_t coarse[64], const uint8_t src[256]);

TOL_NS_END
